#pragma once

#include <cstdint>

// Names of the codes the driver reports for channel bundles and their channels.
// Codes the table does not know (0 included) are "Unknown".
const char* BundleTypeName(uint32_t code);
const char* ChannelFormatName(uint32_t code);

// The single channel page's names of the same format codes, in lower case; "unknown" otherwise.
const char* ChannelTypeText(uint32_t code);
// The panning position's suffix, beginning with a blank so that the cell reads the number, two
// blanks and the position; "n/a" for codes the table does not know.
const char* PanningSuffix(uint32_t code);
