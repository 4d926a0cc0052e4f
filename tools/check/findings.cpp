#include "findings.h"

#include <algorithm>
#include <tuple>

const char* const Findings::kScript = "script.txt";

void Findings::add(const std::string& file, int line, Severity severity, const std::string& message) {
    findings_.push_back({file, line, severity, message});
}

int Findings::errors() const {
    return int(std::count_if(findings_.begin(), findings_.end(),
                             [](const Finding& f) { return f.severity == Severity::Error; }));
}

std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            out += c;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", u);
            out += code;
        }
    }
    return out;
}

void Findings::print(std::FILE* out) const {
    std::vector<Finding> sorted = findings_;
    auto key = [](const Finding& f) { return std::make_tuple(f.file == kScript, f.file, f.line); };
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Finding& a, const Finding& b) { return key(a) < key(b); });
    for (const Finding& f : sorted) {
        const char* kind = f.severity == Severity::Error ? "error" : f.severity == Severity::Warning ? "warning" : "note";
        const std::string file = printable(f.file), message = printable(f.message);
        if (f.line > 0)
            std::fprintf(out, "%s:%d: %s: %s\n", file.c_str(), f.line, kind, message.c_str());
        else
            std::fprintf(out, "%s: %s: %s\n", file.c_str(), kind, message.c_str());
    }
}
