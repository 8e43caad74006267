#pragma once

#include <cstdint>

#include "platform/WinError.h"

namespace sim {

// Misbehaviour the simulated driver can be told to show, so that the panel's handling of a
// broken driver can be exercised. A code of 0 selects nothing.
struct FaultPlan {
    // Requests of failCode fail with failError: every one when failEvery is 0 or 1, else every
    // failEvery-th (counted from when the plan was set).
    uint32_t failCode = 0;
    uint32_t failEvery = 1;
    uint32_t failError = WinError::GenFailure;
    // Lists report more entries than any record can hold: 200 devices, 500 bundles per
    // direction, 99 channels per bundle, 40 streams per direction.
    bool overcount = false;
    // Name fields are filled to their last byte, without a terminating NUL.
    bool namesWithoutNul = false;
    // Successful answers carry only half of their record: for shortCode, or every code when 0.
    bool shortAnswers = false;
    uint32_t shortCode = 0;
    // Requests of this code are never answered.
    uint32_t noAnswerCode = 0;

    static constexpr uint32_t OvercountDevices = 200;
    static constexpr uint32_t OvercountBundles = 500;
    static constexpr uint32_t OvercountChannels = 99;
    static constexpr uint32_t OvercountStreams = 40;
};

}  // namespace sim
