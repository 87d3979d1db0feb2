#include "RenderStats.h"

#include "Operators/IOperator.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <numeric>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace orb::render {

double millisecondsSinceProcessStart()
{
    std::ifstream file("/proc/self/stat");
    std::string stat;
    std::getline(file, stat);
    // The start time is the 22nd field; the command name in parentheses may hold spaces.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2)); // from the third field on
    std::string field;
    for (int index = 3; index <= 22; ++index)
        fields >> field;
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const double started =
        std::stod(field.empty() ? "0" : field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    return (static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 - started) * 1000.0;
}

void RenderStats::ran(const IOperator& op)
{
    const std::string name = op.typeName();
    if (name.rfind("Scene", 0) == 0)
        drawing_.insert(name);
}

void RenderStats::endFrame(double milliseconds)
{
    for (const std::string& name : drawing_)
        times_[name].push_back(milliseconds);
    drawing_.clear();
    loopTimes_.push_back(milliseconds);
}

void RenderStats::endLoop()
{
    if (loopTimes_.empty())
        return;
    std::nth_element(loopTimes_.begin(), loopTimes_.begin() + loopTimes_.size() / 2, loopTimes_.end());
    std::ifstream statm("/proc/self/statm");
    double pages = 0, residentPages = 0;
    statm >> pages >> residentPages;
    loops_.push_back({loopTimes_[loopTimes_.size() / 2],
                      residentPages * static_cast<double>(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0)});
    loopTimes_.clear();
}

void RenderStats::report(std::ostream& stream) const
{
    stream << std::fixed << std::setprecision(0) << "start-up ms: first loading picture "
           << startUp.firstPicture << ", loaded " << startUp.loaded << ", ready after the fade "
           << startUp.ready << '\n';
    stream << std::setprecision(2);
    // A scene's first frame is shown apart, and the worst frame is the worst once it has started.
    stream << "operator   frames   first ms    mean ms  median ms     95% ms   worst ms\n";
    for (const auto& [name, recorded] : times_) {
        std::vector<double> times = recorded; // a plain variable: clang 14 cannot capture a binding
        const double first = times.front();
        const double worst = times.size() > 1 ? *std::max_element(times.begin() + 1, times.end()) : first;
        std::sort(times.begin(), times.end());
        const double mean =
            std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
        const auto percentile = [&times](double fraction) {
            return times[std::min(times.size() - 1,
                                  static_cast<std::size_t>(fraction * static_cast<double>(times.size())))];
        };
        stream << std::left << std::setw(9) << name << std::right << std::setw(8) << times.size()
               << std::setw(11) << first << std::setw(11) << mean << std::setw(11) << percentile(0.5)
               << std::setw(11) << percentile(0.95) << std::setw(11) << worst << '\n';
    }
    for (std::size_t i = 0; i < loops_.size(); ++i)
        stream << "loop " << i + 1 << ": median " << loops_[i].medianMilliseconds << " ms, resident "
               << loops_[i].residentMiB << " MiB\n";
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    stream << "peak memory " << usage.ru_maxrss / 1024 << " MiB\n";
}

} // namespace orb::render
