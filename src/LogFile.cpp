#include "LogFile.h"

#include <iomanip>

namespace orb {

LogFile& LogFile::instance()
{
    static LogFile* const log = new LogFile;
    return *log;
}

LogFile::LogFile() : savedBuffer_(std::cout.rdbuf()) {}

void LogFile::open(const char* fileName)
{
    if (file_.is_open())
        file_.close();
    file_.open(fileName, std::ios::out | std::ios::trunc);
    fileBuffer_ = file_.rdbuf();
    std::cout.rdbuf(fileBuffer_);
}

void LogFile::close()
{
    if (file_.is_open())
        file_.close();
    std::cout.rdbuf(savedBuffer_);
}

std::ostream& operator<<(std::ostream& stream, PointerFormat pointer)
{
    const std::ios::fmtflags flags = stream.flags();
    const char fill = stream.fill();
    stream << std::hex << std::uppercase << std::setfill('0') << std::setw(8) << pointer.value;
    stream.flags(flags);
    stream.fill(fill);
    return stream;
}

} // namespace orb
