#pragma once
// The server's reading of what a console sends, without the socket: the
// size each record type has, the login record as it may be kept (without
// its password), and a report's two records as the report that is stored.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ServerDatabase.h"
#include "session/Records.h"

namespace ostiva::server {

// Where the password's UTF-16 slot of wire::kLoginPasswordUnits units
// begins in a login record.
inline constexpr size_t kLoginPasswordOffset = 98;

// The size of a console record by its type; 0 for a type the console never
// sends.
size_t ConsoleRecordSize(uint16_t type);

// The login record with its password slot zeroed, so that no copy the
// server keeps or shows holds the password. Every other byte is kept; a
// record too short for the slot comes back zeroed from the slot on.
wire::Bytes WithoutPassword(wire::ByteView login);

// The report of MSG_REPORT_CUSTOMER and MSG_REPORT_CONTACT, texts as UTF-8
// (unpaired surrogates replaced). `code` is left for the caller.
StoredReport ReadReport(const std::string& helperId, wire::ByteView customer,
                        wire::ByteView contact, const std::string& receivedAt);

}  // namespace ostiva::server
