#pragma once

#include "profile.h"

// The simulator's factory configuration, as a read of a fresh simulator gives it.
inline qv::ProfileSettings simulatorFactorySettings()
{
    qv::ProfileSettings s;
    s.address = "001";
    s.output4mA = "04.00";
    s.output20mA = "20.00";
    s.ad1Urv = "100.0";
    s.ad1Lrv = "000.0";
    s.ad1Start = "004.0";
    s.ad2Urv = "050.0";
    s.ad2Lrv = "000.0";
    s.ad2Start = "000.0";
    return s;
}
