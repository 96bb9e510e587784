#include "TextLines.h"

std::vector<std::string> SplitLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        size_t cut = end;
        if (cut > start && text[cut - 1] == '\r')
            cut--;
        lines.push_back(text.substr(start, cut - start));
        start = end + 1;
    }
    return lines;
}
