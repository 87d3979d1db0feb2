#include "LogCapture.h"

#include <sstream>

namespace orb::preview {

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

std::string LogCapture::errors() const
{
    constexpr std::string_view ErrorPrefix = "ORB_ERROR: ";
    std::istringstream lines(text_);
    std::string errors;
    bool inError = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(ErrorPrefix)) {
            line.erase(0, ErrorPrefix.size());
            // "(src/File.cpp,12) " names the source, which tells an author nothing.
            if (const std::size_t source = line.find(") ");
                line.starts_with('(') && source != std::string::npos)
                line.erase(0, source + 2);
            inError = true;
        } else if (!inError || line.starts_with("ORB_")) {
            inError = false;
            continue;
        }
        // What a library said comes on the lines after the error, the first one indented.
        const std::size_t text = line.find_first_not_of('\t');
        if (text == std::string::npos)
            continue;
        if (!errors.empty())
            errors += '\n';
        errors.append(line, text);
    }
    return errors;
}

} // namespace orb::preview
