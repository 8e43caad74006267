#include "rows/SingleChannelRows.h"

#include <array>

#include "driver/DriverRecords.h"

namespace {

using V = ChannelValue;
namespace Entry = BundleChannelEntryField;
// A total that only goes up (until Clear Statistics or a wrap), or a level that goes both ways.
constexpr bool Counts = true, Level = false;

constexpr std::array<SingleChannelRow, 17> Rows{{
    {"HardwareName", V::HardwareName, 0, Level, "Hardware name of the selected channel."},
    {"NickName", V::NickName, 0, Level, "Nickname of the selected channel."},
    {"Direction", V::Direction, 0, Level, "Direction of the channel, input or output."},
    {"DeviceName", V::DeviceName, 0, Level, "Internal device ID."},
    {"ChannelType", V::ChannelType, Entry::ChannelFormat, Level, "Type of the channel."},
    {"PanningPosition", V::Panning, Entry::PanningPosition, Level, "Panning position of this channel."},
    {"DataBlockOffset", V::Number, Entry::DataBlockOffset, Level,
     "Offset of this channel's slot within the data block, in terms of DWORDs."},
    {"AsioClientCount", V::Number, Entry::AsioClientCount, Level,
     "Number of ASIO clients that allocated this channel."},
    {"KsClientCount", V::Number, Entry::KsClientCount, Level, "Number of WDM/KS clients that allocated this channel."},
    {"IsEnabled", V::YesNo, Entry::IsEnabled, Level, "Indicates whether the channel is enabled."},
    {"SamplesTransferred", V::Number, Entry::SamplesTransferred, Counts,
     "Total number of samples transferred on this channel."},
    {"MidiBytesTransferred", V::Number, Entry::MidiBytesTransferred, Counts,
     "Total number of MIDI bytes transferred on this channel."},
    {"AsioPtrOffset", V::Number, Entry::AsioPtrOffset, Level, "Indicates the current offset of the ASIO pointer."},
    {"AsioPtrOffsetLow", V::Number, Entry::AsioPtrOffsetLow, Counts,
     "Incremented if the ASIO pointer offset is lower than the limit."},
    {"AsioPtrOffsetHigh", V::Number, Entry::AsioPtrOffsetHigh, Counts,
     "Incremented if the ASIO pointer offset is higher than the limit."},
    {"DataSlotLabelMismatch", V::ErrorCount, Entry::DataSlotLabelMismatch, Counts,
     "Label of data slot does not match the channel type."},
    {"NoBuffer", V::ErrorCount, Entry::NoBuffer, Counts,
     "No KS buffer available, samples or MIDI bytes have been dropped."},
}};

}  // namespace

std::span<const SingleChannelRow> SingleChannelRows() { return Rows; }
