// The transport layer sits beneath the proxy handshakes and must not see them.
#include "proxy/ProxyReply.h"
