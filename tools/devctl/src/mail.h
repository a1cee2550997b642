// devctl's mail commands: accounts and messages of the device's mail volume.
#pragma once

#include <string>
#include <vector>

namespace devctl {

// args[0] is "mail". Throws std::runtime_error (or its kin) with a message for the user.
int CmdMail(const std::string& device, const std::vector<std::string>& args);

// The usage lines of the mail commands.
extern const char kMailUsage[];

}  // namespace devctl
