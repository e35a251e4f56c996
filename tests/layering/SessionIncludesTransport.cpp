// A session file may include the layers beneath it.
#include "settings/SettingsKeys.h"
#include "transport/SocketIPv4.h"
#include "util/Utf.h"
