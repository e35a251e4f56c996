# Locks taken from several threads (also under ThreadSanitizer).
list(APPEND threaded_suites LockThread)
