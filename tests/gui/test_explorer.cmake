# The page loads in the web engine's own processes: one such program at a
# time, so two of them do not share the two cores and run out of their
# bounded waits.
set(test_properties RESOURCE_LOCK web_engine)
