#include "LogCapture.h"

#include <sstream>

namespace orb::app {

int LogCapture::overflow(int character)
{
    if (character == traits_type::eof())
        return traits_type::not_eof(character);
    text_ += static_cast<char>(character);
    return forward_->sputc(static_cast<char>(character));
}

std::streamsize LogCapture::xsputn(const char* text, std::streamsize count)
{
    text_.append(text, static_cast<std::size_t>(count));
    return forward_->sputn(text, count);
}

std::vector<LogCapture::Error> LogCapture::logged() const
{
    constexpr std::string_view ErrorPrefix = "ORB_ERROR: ";
    std::istringstream lines(text_);
    std::vector<Error> errors;
    bool inError = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(ErrorPrefix)) {
            line.erase(0, ErrorPrefix.size());
            // "(src/File.cpp,12) " names the source, which tells an author nothing.
            if (const std::size_t source = line.find(") ");
                line.starts_with('(') && source != std::string::npos)
                line.erase(0, source + 2);
            errors.push_back({line, {}});
            inError = true;
            continue;
        }
        if (!inError || line.starts_with("ORB_")) {
            inError = false;
            continue;
        }
        // What a library said comes on the lines after the error, the first one indented.
        if (const std::size_t text = line.find_first_not_of('\t'); text != std::string::npos)
            errors.back().details.push_back(line.substr(text));
    }
    return errors;
}

std::string LogCapture::errors() const
{
    std::string all;
    for (const Error& error : logged()) {
        if (!all.empty())
            all += '\n';
        all += error.line;
        for (const std::string& detail : error.details)
            all += '\n' + detail;
    }
    return all;
}

std::string LogCapture::firstError() const
{
    const std::vector<Error> errors = logged();
    if (errors.empty())
        return {};
    std::string first = errors.front().line;
    for (const std::string& detail : errors.front().details)
        first += ": " + detail;
    return first;
}

} // namespace orb::app
