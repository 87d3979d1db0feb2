#include "RenderStats.h"

#include "Statistics.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <numeric>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

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
    const app::SceneSpan* scene = app::spanOf(scenes_, op);
    // Kept in a vector that keeps its room, so that watching a frame allocates nothing in it.
    if (scene != nullptr && std::find(drawing_.begin(), drawing_.end(), scene->name) == drawing_.end())
        drawing_.push_back(scene->name);
}

namespace {

constexpr std::size_t SlowestShown = 5;
constexpr std::size_t LaterAllocationsShown = 10;

} // namespace

void RenderStats::endFrame(double milliseconds, double demoTime, const FrameWork& work)
{
    noteIfSlow(milliseconds, demoTime, work);
    for (const std::string& name : drawing_) {
        if (begins(name))
            continue; // its first frame, shown apart
        SlowFrame& worst = worstOf_[name];
        if (worst.milliseconds < milliseconds)
            worst = {milliseconds, demoTime, {drawing_.begin(), drawing_.end()}, {}, work};
    }
    const bool beginsAScene = std::any_of(drawing_.begin(), drawing_.end(),
                                          [this](const std::string& name) { return begins(name); });
    if (work.allocations > 0 && !beginsAScene && laterAllocations_.size() < LaterAllocationsShown)
        laterAllocations_.push_back(demoTime);
    for (const std::string& name : drawing_) {
        times_[name].push_back(milliseconds);
        processorTimes_[name].push_back(work.processorMilliseconds);
    }
    drawing_.clear();
    loopTimes_.push_back(milliseconds);
    ++frames_;
    for (std::size_t kind = 0; kind < gfx::WorkKinds; ++kind)
        framesWithWork_[kind] += work.work.counts[kind] > 0 ? 1 : 0;
    framesAllocating_ += work.allocations > 0 ? 1 : 0;
}

// Called before the frame is filed, while a scene without times yet is one it starts.
void RenderStats::noteIfSlow(double milliseconds, double demoTime, const FrameWork& work)
{
    if (slowest_.size() == SlowestShown && milliseconds <= slowest_.back().milliseconds)
        return;
    SlowFrame frame{milliseconds, demoTime, {drawing_.begin(), drawing_.end()}, {}, work};
    for (const std::string& name : drawing_)
        if (begins(name))
            frame.firstOf.insert(name);
    const auto place = std::find_if(slowest_.begin(), slowest_.end(), [milliseconds](const SlowFrame& slow) {
        return slow.milliseconds < milliseconds;
    });
    slowest_.insert(place, std::move(frame));
    if (slowest_.size() > SlowestShown)
        slowest_.pop_back();
}

// What the frame did that most frames do not; else whether it ran longer on the processor than its
// scene's usual frame, or the system kept it waiting.
std::string RenderStats::causes(const SlowFrame& frame) const
{
    std::ostringstream text;
    text << std::fixed;
    std::string separator;
    const auto rarity = [this](std::uint64_t framesWith) {
        return " (in " + std::to_string(framesWith) + " of " + std::to_string(frames_) + " frames)";
    };
    for (const std::string& name : frame.firstOf)
        text << std::exchange(separator, "; ") << "the first frame of " << name;
    if (frame.scenes.size() > 1)
        text << std::exchange(separator, "; ") << frame.scenes.size() << " scenes drawn";
    for (std::size_t kind = 0; kind < gfx::WorkKinds; ++kind)
        if (const std::uint64_t count = frame.work.work.counts[kind]; count > 0)
            text << std::exchange(separator, "; ") << count << ' '
                 << gfx::describe(static_cast<gfx::Work>(kind)) << rarity(framesWithWork_[kind]);
    if (frame.work.allocations > 0)
        text << std::exchange(separator, "; ") << frame.work.allocations << " heap allocations"
             << rarity(framesAllocating_);
    double usual = 0;
    for (const std::string& name : frame.scenes)
        usual = std::max(usual, app::median(processorTimes_.at(name)));
    const bool nothingElse = separator.empty();
    const FrameWork& work = frame.work;
    text << std::exchange(separator, "; ") << std::setprecision(1) << "processor "
         << work.processorMilliseconds << " ms against " << usual << " ms in its scene's median frame, "
         << work.pageFaults << " page faults, " << work.preemptions << " preemptions";
    // With no more processor work than usual, the frame's threads were kept waiting.
    if (nothingElse)
        text << (work.processorMilliseconds <= 1.25 * usual ? ": waiting, not working"
                                                            : ": more of its scene's own work");
    return text.str();
}

void RenderStats::reportPasses(std::ostream& stream) const
{
    if (passes_.empty())
        return;
    stream << "passes: median ms in the frames that ran them, each timed to its own end on the clock and by"
              " a GL timer query\n";
    for (const auto& [scene, tally] : passes_) {
        stream << std::left << std::setw(48) << scene << std::right << std::setw(8) << "clock" << std::setw(8)
               << "GL" << '\n';
        for (const app::PassTally::Cost& pass : tally.passes())
            stream << "  " << std::left << std::setw(46) << pass.label << std::right << std::setprecision(2)
                   << std::setw(8) << pass.clockMilliseconds << std::setw(8) << pass.glMilliseconds << '\n';
    }
}

// A scene's first frame makes what the scene needs; any other frame that allocates is a stall waiting
// to happen on a busy machine.
void RenderStats::reportAllocations(std::ostream& stream) const
{
    stream << "heap allocations in " << framesAllocating_ << " of " << frames_ << " frames";
    if (!laterAllocations_.empty()) {
        stream << "; beginning no scene at";
        for (const double time : laterAllocations_)
            stream << ' ' << std::setprecision(3) << time << " s";
    }
    stream << '\n';
}

void RenderStats::reportSlowest(std::ostream& stream) const
{
    const auto line = [this, &stream](const SlowFrame& frame) {
        stream << std::setprecision(2) << std::setw(9) << frame.milliseconds << " ms at "
               << std::setprecision(3) << std::setw(8) << frame.demoTime << " s";
        for (const std::string& name : frame.scenes)
            stream << ' ' << name;
        stream << ": " << causes(frame) << '\n';
    };
    stream << "slowest frames:\n";
    for (const SlowFrame& frame : slowest_)
        line(frame);
    stream << "each scene's worst frame once started:\n";
    for (const auto& [name, frame] : worstOf_)
        line(frame);
}

void RenderStats::endPasses(const std::vector<gfx::PassTimer::Time>& passes)
{
    if (drawing_.size() != 1)
        return;
    passes_.try_emplace(drawing_.front(), app::PassTally::Nesting::Apart).first->second.add(passes);
}

void RenderStats::endLoop()
{
    if (loopTimes_.empty())
        return;
    std::ifstream statm("/proc/self/statm");
    double pages = 0, residentPages = 0;
    statm >> pages >> residentPages;
    loops_.push_back({app::median(loopTimes_),
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
        const std::vector<double>& times = recorded;
        const double first = times.front();
        const double worst = times.size() > 1 ? *std::max_element(times.begin() + 1, times.end()) : first;
        const double mean =
            std::accumulate(times.begin(), times.end(), 0.0) / static_cast<double>(times.size());
        stream << std::left << std::setw(9) << name << std::right << std::setw(8) << times.size()
               << std::setw(11) << first << std::setw(11) << mean << std::setw(11) << app::median(times)
               << std::setw(11) << app::percentile(times, 0.95) << std::setw(11) << worst << '\n';
    }
    reportSlowest(stream);
    reportAllocations(stream);
    reportPasses(stream);
    for (std::size_t i = 0; i < loops_.size(); ++i)
        stream << "loop " << i + 1 << ": median " << loops_[i].medianMilliseconds << " ms, resident "
               << loops_[i].residentMiB << " MiB\n";
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    stream << "peak memory " << usage.ru_maxrss / 1024 << " MiB\n";
}

} // namespace orb::render
