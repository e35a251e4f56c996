// The settings layer sits beneath the session and must not see it.
#include "session/Records.h"
