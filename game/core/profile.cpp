// Reading and writing profile files; writes go through a temporary file in the same folder that
// is renamed over the old file, so readers see either the old or the new file, never a mix.
#include "game/core/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

struct ProfileText
{
    std::vector<std::string> lines; // without their line ends
    std::string lineEnd = "\n";
};

std::string trim(const std::string& text)
{
    const char* const blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

ProfileText splitLines(const std::string& content)
{
    ProfileText text;
    const size_t firstBreak = content.find('\n');
    if (firstBreak != std::string::npos && firstBreak > 0 && content[firstBreak - 1] == '\r')
        text.lineEnd = "\r\n";
    std::string line;
    std::istringstream in(content);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text.lines.push_back(line);
    }
    return text;
}

enum class ReadResult
{
    Read,
    Missing,
    Failed
};

ReadResult readWholeFile(const std::string& file, std::string& content)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        struct stat info;
        return (stat(file.c_str(), &info) != 0 && errno == ENOENT) ? ReadResult::Missing
                                                                   : ReadResult::Failed;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return ReadResult::Failed;
    content = buffer.str();
    return ReadResult::Read;
}

// The section name of a "[Name]" line, or false when the line is not a section line.
bool sectionName(const std::string& line, std::string& name)
{
    const std::string trimmed = trim(line);
    if (trimmed.empty() || trimmed[0] != '[')
        return false;
    const size_t close = trimmed.find(']');
    name = trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key and value of a "key=value" line, or false when the line holds no "=".
bool keyAndValue(const std::string& line, std::string& key, std::string& value)
{
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    key = trim(line.substr(0, equals));
    value = trim(line.substr(equals + 1));
    return true;
}

// Index of the first line of the named section's header, or lines.size() when absent.
size_t findSection(const std::vector<std::string>& lines, const std::string& section)
{
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i)
        if (sectionName(lines[i], name) && sameName(name, section))
            return i;
    return lines.size();
}

size_t sectionEnd(const std::vector<std::string>& lines, size_t header)
{
    std::string name;
    size_t i = header + 1;
    while (i < lines.size() && !sectionName(lines[i], name))
        ++i;
    return i;
}

std::string oneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

bool hasLineBreak(const std::string& text)
{
    return text.find_first_of("\r\n") != std::string::npos;
}

} // namespace

std::string getProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& file,
                             std::size_t bufferSize)
{
    const auto fit = [bufferSize](const std::string& text) {
        return bufferSize == 0 ? std::string() : text.substr(0, bufferSize - 1);
    };

    std::string content;
    if (readWholeFile(file, content) != ReadResult::Read)
        return fit(defaultValue);
    const ProfileText text = splitLines(content);
    const size_t header = findSection(text.lines, trim(section));
    if (header == text.lines.size())
        return fit(defaultValue);

    const std::string wantedKey = trim(key);
    const size_t end = sectionEnd(text.lines, header);
    std::string lineKey, value;
    for (size_t i = header + 1; i < end; ++i)
        if (keyAndValue(text.lines[i], lineKey, value) && sameName(lineKey, wantedKey))
            return fit(value);
    return fit(defaultValue);
}

bool writeProfileStrings(const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& keysAndValues,
                         const std::string& file)
{
    const std::string sectionText = trim(section);
    if (sectionText.empty() || hasLineBreak(sectionText) ||
        sectionText.find(']') != std::string::npos)
        return false;
    for (const auto& entry : keysAndValues) {
        const std::string keyText = trim(entry.first);
        if (keyText.empty() || hasLineBreak(keyText) || keyText.find('=') != std::string::npos ||
            keyText[0] == '[')
            return false;
    }

    std::string content;
    if (readWholeFile(file, content) == ReadResult::Failed)
        return false; // never replace a file whose contents we could not see
    ProfileText text = splitLines(content);
    const bool endsWithBreak = content.empty() || content.back() == '\n';
    std::vector<std::string>& lines = text.lines;

    for (const auto& entry : keysAndValues) {
        const std::string keyText = trim(entry.first);
        const std::string newLine = keyText + "=" + trim(oneLine(entry.second));
        const size_t header = findSection(lines, sectionText);
        if (header == lines.size()) {
            lines.push_back("[" + sectionText + "]");
            lines.push_back(newLine);
            continue;
        }
        const size_t end = sectionEnd(lines, header);
        std::string lineKey, oldValue;
        size_t found = end;
        size_t lastFilled = header;
        for (size_t i = header + 1; i < end && found == end; ++i) {
            if (keyAndValue(lines[i], lineKey, oldValue) && sameName(lineKey, keyText))
                found = i;
            else if (!trim(lines[i]).empty())
                lastFilled = i;
        }
        if (found != end)
            lines[found] = newLine;
        else
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastFilled) + 1, newLine);
    }

    std::string output;
    for (size_t i = 0; i < lines.size(); ++i) {
        output += lines[i];
        if (i + 1 < lines.size() || endsWithBreak)
            output += text.lineEnd;
    }
    return replaceFile(file, output);
}

bool writeProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file)
{
    return writeProfileStrings(section, {{key, value}}, file);
}
