# The receive loop's thread and how it stops (also under ThreadSanitizer).
list(APPEND threaded_suites ReceiveLoopThread)
