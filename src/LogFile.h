#pragma once

// LogFile -- the process's one diagnostic channel, "Orb.log".
//
// Does: open the log (truncating it), point standard output's buffer at it, and give it back
//       to standard output on close. Every line is written to std::cout and flushed, so the
//       file is complete up to its last line even if the process is killed.
// Does not: report its own failures. A log that cannot be opened loses its lines silently.
//
//   LogFile::instance().open("Orb.log");
//   ORB_INFO("FileSystem Init ... (" << path << ")");
//   ORB_ERROR("invalid file '" << path << "'");
//   LogFile::instance().close();

#include <cstdint>
#include <fstream>
#include <iostream>
#include <streambuf>

namespace orb {

class LogFile
{
public:
    // Created on first use and never destroyed, so lines written during static teardown still land.
    static LogFile& instance();

    void open(const char* fileName);
    void close();

    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

private:
    LogFile();

    std::ofstream file_;
    std::streambuf* savedBuffer_;
    std::streambuf* fileBuffer_ = nullptr;
};

// A window handle or procedure address as the log prints it: upper-case hexadecimal without a
// prefix, zero-padded to 8 digits; a wider value keeps all its digits.
struct PointerFormat
{
    std::uintptr_t value;
};

std::ostream& operator<<(std::ostream& stream, PointerFormat pointer);

} // namespace orb

#define ORB_INFO(message) (std::cout << "ORB_INFO: " << message << std::endl)

#define ORB_ERROR(message)                                                                                   \
    (std::cout << "ORB_ERROR: (" << __FILE__ << "," << __LINE__ << ") " << message << std::endl)

// An error whose second line carries a library's own text (a compiler log), indented by a tab.
#define ORB_ERROR_WITH_DETAIL(message, detail)                                                               \
    (std::cout << "ORB_ERROR: (" << __FILE__ << "," << __LINE__ << ") " << message << std::endl              \
               << '\t' << detail << std::endl)
