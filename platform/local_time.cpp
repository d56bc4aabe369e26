// Local date and time from the C library.
#include "platform/local_time.h"

#include <ctime>

namespace {
DateTimeSource currentSource = nullptr;
}

DateTimeText systemDateTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16];
    char time[16];
    std::strftime(date, sizeof date, "%m/%d/%y", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    return {date, time};
}

DateTimeText currentDateTime() { return currentSource ? currentSource() : systemDateTime(); }

DateTimeSource setDateTimeSource(DateTimeSource source) {
    DateTimeSource old = currentSource ? currentSource : systemDateTime;
    currentSource = source;
    return old;
}
