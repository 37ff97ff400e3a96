// The desktop program's log: one line per call appended to "log.txt" in the
// current folder, while logging is on (the machine value "Logging"). Any
// thread may log; every call opens, appends and closes the file.
#pragma once

namespace lumivane {

void SetLogEnabled(bool enabled);
bool IsLogEnabled();

// Appends "mm/dd/yy HH:MM:SS (p=<pid> t=<tid>) : <text>\n", the text
// formatted like printf. When the file cannot be opened it tries 4 times in
// all, 100 ms apart, then gives up without a word.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace lumivane
