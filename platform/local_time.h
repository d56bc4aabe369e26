// The local date and time as the texts the replay file name is built from:
// "MM/DD/YY" and "HH:MM:SS". Tests replace the source with a fixed one.
#pragma once

#include <string>

struct DateTimeText {
    std::string date;  // MM/DD/YY
    std::string time;  // HH:MM:SS, 24-hour
};

using DateTimeSource = DateTimeText (*)();

DateTimeText systemDateTime();
DateTimeText currentDateTime();
DateTimeSource setDateTimeSource(DateTimeSource source);  // nullptr restores the system clock
