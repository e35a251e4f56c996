# The receive loop's records handed to the consumer thread, the event queue,
# the viewer launch and the soak over loopback (also under ThreadSanitizer).
list(APPEND threaded_suites ConsoleConcurrency EventQueueConcurrency ViewerLauncher ConsoleSoak)
