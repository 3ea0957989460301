#pragma once
// A device entry's "SymbolicName" names the instance key it was made for:
// Clean system reads it to find that key.
#include <string>

// "\??\USB#VID_xxxx&PID_yyyy#instance#{class}" gives "VID_xxxx&PID_yyyy\instance",
// upper-cased, from the value's first string; empty when the name has no such
// parts.
std::string InstancePathOfSymbolicName(const std::string& value);
