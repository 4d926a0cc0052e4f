#include "findings.h"

#include <algorithm>
#include <tuple>

#include "printable.h"
#include "shell/init.h"  // Required for: kDataPrefix

const char* const Findings::kScript = "script.txt";

void Findings::add(const std::string& file, int line, Severity severity, const std::string& message) {
    findings_.push_back({file, line, severity, message});
}

int Findings::errors() const {
    return int(std::count_if(findings_.begin(), findings_.end(),
                             [](const Finding& f) { return f.severity == Severity::Error; }));
}

std::string Findings::text() const {
    std::vector<const Finding*> sorted;
    for (const Finding& f : findings_) sorted.push_back(&f);
    auto key = [](const Finding* f) { return std::tuple<bool, const std::string&, int>(f->file == kScript, f->file, f->line); };
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Finding* a, const Finding* b) { return key(a) < key(b); });
    std::string out;
    for (const Finding* f : sorted) {
        // The path from the show's directory, as compilers name files from
        // where they ran: an editor opens it from there.
        out += printable(kDataPrefix + f->file);
        if (f->line > 0) out += ":" + std::to_string(f->line);
        out += f->severity == Severity::Error ? ": error: " : f->severity == Severity::Warning ? ": warning: " : ": note: ";
        out += printable(f->message);
        out += '\n';
    }
    return out;
}

void Findings::print(std::FILE* out) const {
    const std::string all = text();
    std::fwrite(all.data(), 1, all.size(), out);
}

bool LineFindings::list(const char* kind, Severity severity) {
    auto [entry, fresh] = counts_.try_emplace(kind, Count{0, severity});
    if (fresh) order_.push_back(kind);
    return ++entry->second.seen <= kListed;
}

void LineFindings::finish() {
    for (const std::string& kind : order_) {
        const Count& count = counts_[kind];
        if (count.seen <= kListed) continue;
        findings_.add(Findings::kScript, line_, count.severity,
                      "and " + std::to_string(count.seen - kListed) + " more " + kind + " " + where_ +
                          " (the first " + std::to_string(kListed) + " are listed)");
    }
    counts_.clear();
    order_.clear();
}
