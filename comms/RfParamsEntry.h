#pragma once

// One row of the analyzer's RF-parameter table: a resolution-bandwidth setting as the analyzer
// reports it. The values carry no unit; the program only logs them.
struct RfParamsEntry
{
    double rbw = 0.0;
    int ifValue = 0; // 16-bit unsigned as sent
    int setting = 0; // 8-bit unsigned as sent

    bool operator==(const RfParamsEntry &other) const
    {
        return rbw == other.rbw && ifValue == other.ifValue && setting == other.setting;
    }
    bool operator!=(const RfParamsEntry &other) const { return !(*this == other); }
};
