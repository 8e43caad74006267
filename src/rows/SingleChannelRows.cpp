#include "rows/SingleChannelRows.h"

#include <array>

#include "driver/DriverRecords.h"

namespace {

using V = ChannelValue;
namespace Entry = BundleChannelEntryField;

constexpr std::array<SingleChannelRow, 17> Rows{{
    {"HardwareName", V::HardwareName, 0, "Hardware name of the selected channel."},
    {"NickName", V::NickName, 0, "Nickname of the selected channel."},
    {"Direction", V::Direction, 0, "Direction of the channel, input or output."},
    {"DeviceName", V::DeviceName, 0, "Internal device ID."},
    {"ChannelType", V::ChannelType, Entry::ChannelFormat, "Type of the channel."},
    {"PanningPosition", V::Panning, Entry::PanningPosition, "Panning position of this channel."},
    {"DataBlockOffset", V::Number, Entry::DataBlockOffset,
     "Offset of this channel's slot within the data block, in terms of DWORDs."},
    {"AsioClientCount", V::Number, Entry::AsioClientCount, "Number of ASIO clients that allocated this channel."},
    {"KsClientCount", V::Number, Entry::KsClientCount, "Number of WDM/KS clients that allocated this channel."},
    {"IsEnabled", V::YesNo, Entry::IsEnabled, "Indicates whether the channel is enabled."},
    {"SamplesTransferred", V::Number, Entry::SamplesTransferred,
     "Total number of samples transferred on this channel."},
    {"MidiBytesTransferred", V::Number, Entry::MidiBytesTransferred,
     "Total number of MIDI bytes transferred on this channel."},
    {"AsioPtrOffset", V::Number, Entry::AsioPtrOffset, "Indicates the current offset of the ASIO pointer."},
    {"AsioPtrOffsetLow", V::Number, Entry::AsioPtrOffsetLow,
     "Incremented if the ASIO pointer offset is lower than the limit."},
    {"AsioPtrOffsetHigh", V::Number, Entry::AsioPtrOffsetHigh,
     "Incremented if the ASIO pointer offset is higher than the limit."},
    {"DataSlotLabelMismatch", V::ErrorCount, Entry::DataSlotLabelMismatch,
     "Label of data slot does not match the channel type."},
    {"NoBuffer", V::ErrorCount, Entry::NoBuffer, "No KS buffer available, samples or MIDI bytes have been dropped."},
}};

}  // namespace

std::span<const SingleChannelRow> SingleChannelRows() { return Rows; }
