// Named instances ("host\instance") found through the SQL Server Browser (UDP 1434), within a
// time limit of our own: FreeTDS's lookup ignores the login time-out and retries for 16 seconds.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The TCP port in the Browser's reply to an instance request ("ServerName;H;InstanceName;I;
// IsClustered;No;Version;15.0.2000.5;tcp;1433;;"); nullopt when the reply is not one or names no
// TCP port.
std::optional<int> TcpPortOfBrowserReply(std::string_view reply);

// Asks the Browser on `host` for the TCP port of `instance`, waiting at most `wait` in all.
// nullopt when it does not answer in time, or the instance has no TCP port.
std::optional<int> LookUpInstancePort(const std::string& host, const std::string& instance,
                                      std::chrono::milliseconds wait, int browser_port = 1434);

// The message for an instance the Browser did not tell the port of.
std::string InstanceNotFoundMessage(const std::string& host, const std::string& instance,
                                    int browser_port = 1434);

}  // namespace korvane
