#pragma once

#include <cstdint>

// Names of the codes the driver reports for channel bundles and their channels.
// Codes the table does not know (0 included) are "Unknown".
const char* BundleTypeName(uint32_t code);
const char* ChannelFormatName(uint32_t code);
