// The response tokens a server sends outside result sets: DONE and its relatives, ERROR and
// INFO, ENVCHANGE and LOGINACK. Field widths follow the negotiated TDS version.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/backend.h"
#include "db/tds/tds_bytes.h"

namespace korvane::tds {

inline constexpr std::uint8_t kTokenDone = 0xFD;
inline constexpr std::uint8_t kTokenDoneProc = 0xFE;
inline constexpr std::uint8_t kTokenDoneInProc = 0xFF;

inline constexpr std::uint16_t kDoneFinal = 0x0000;
inline constexpr std::uint16_t kDoneMore = 0x0001;
inline constexpr std::uint16_t kDoneError = 0x0002;
inline constexpr std::uint16_t kDoneCount = 0x0010;
inline constexpr std::uint16_t kDoneAttention = 0x0020;

// SQL_Latin1_General_CP1_CI_AS: LCID 0x409, case-, kana- and width-insensitive, sort id 52.
inline constexpr std::uint8_t kCollation[5] = {0x09, 0x04, 0xD0, 0x00, 0x34};

inline constexpr std::uint8_t kEnvDatabase = 1;
inline constexpr std::uint8_t kEnvLanguage = 2;
inline constexpr std::uint8_t kEnvPacketSize = 4;
inline constexpr std::uint8_t kEnvCollation = 7;

// True from TDS 7.2 on (8-byte row counts, 4-byte user types and line numbers, ALL_HEADERS).
bool IsTds72OrLater(std::uint32_t tds_version);
bool IsTds73OrLater(std::uint32_t tds_version);

void WriteDone(ByteWriter& out, std::uint8_t token, std::uint16_t status, std::uint64_t row_count,
               std::uint32_t tds_version);

// ERROR (severity 11 and above) or INFO (10 and below) from `server_name`.
void WriteServerMessage(ByteWriter& out, const ServerMessage& message, std::string_view server_name,
                        std::uint32_t tds_version, int line = 1);

void WriteEnvChange(ByteWriter& out, std::uint8_t type, std::string_view new_value,
                    std::string_view old_value);
void WriteCollationEnvChange(ByteWriter& out);

// LOGINACK naming the product "Microsoft SQL Server" at `product_version` ("9.00.5000.00").
void WriteLoginAck(ByteWriter& out, std::uint32_t tds_version, const std::string& product_version);

void WriteReturnStatus(ByteWriter& out, std::int32_t status);

}  // namespace korvane::tds
