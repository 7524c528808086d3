#pragma once
// Looks into the SVG the metafile player writes: its elements in order, with their attributes.

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct SvgElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text; // character data up to the next tag
};

// The player writes one simple form only (double-quoted attributes, no comments, no CDATA),
// so a scan is enough to take it apart.
inline std::vector<SvgElement> svgElements(const std::string& svg) {
    std::vector<SvgElement> out;
    std::size_t at = 0;
    while ((at = svg.find('<', at)) != std::string::npos) {
        if (svg.compare(at, 2, "</") == 0) {
            ++at;
            continue;
        }
        SvgElement element;
        std::size_t i = at + 1;
        while (i < svg.size() && svg[i] != ' ' && svg[i] != '>' && svg[i] != '/')
            element.name += svg[i++];
        while (i < svg.size() && svg[i] != '>') {
            while (i < svg.size() && (svg[i] == ' ' || svg[i] == '/'))
                ++i;
            std::string key;
            while (i < svg.size() && svg[i] != '=' && svg[i] != '>' && svg[i] != ' ')
                key += svg[i++];
            if (i < svg.size() && svg[i] == '=' && svg[i + 1] == '"') {
                const std::size_t end = svg.find('"', i + 2);
                element.attributes[key] = svg.substr(i + 2, end - i - 2);
                i = end + 1;
            }
        }
        const std::size_t next = svg.find('<', i);
        element.text = svg.substr(i + 1, next == std::string::npos ? 0 : next - i - 1);
        out.push_back(std::move(element));
        at = i;
    }
    return out;
}

inline std::vector<SvgElement> svgElementsNamed(const std::string& svg, const std::string& name) {
    std::vector<SvgElement> out;
    for (auto& element : svgElements(svg))
        if (element.name == name)
            out.push_back(element);
    return out;
}

} // namespace testing_support
