#include "assets.h"

#include <GL/gl.h>

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "assets/decode_ahead.h"
#include "assets/dir.h"
#include "assets/gfx.h"
#include "assets/imageloader.h"
#include "assets/objectloader.h"
#include "checks.h"  // Required for: checkLoadNotes, Findings
#include "shell/init.h"

PreviewAssets assets;

namespace {

void drop(tTexture* t) {
    glDeleteTextures(1, &t->id);
    delete t;
}

void drop(object_type* o) { delete o; }

// One table taken apart by name while files are loaded again: the loaders
// file each new record at the front of the emptied list, where it is
// picked up at once.
template <typename Record>
class Table {
public:
    explicit Table(Record*& head) : head_(head) {
        for (Record* r = head_; r;) {
            Record* next = r->next;
            r->next = nullptr;
            byName_[r->name] = r;
            r = next;
        }
        head_ = nullptr;
    }
    // Puts the record the loader just filed, if any, in the place of the old
    // one of its name; with none, the file is gone, and the old one goes too.
    void takeLoaded(const std::string& name) {
        Record* fresh = head_;
        head_ = nullptr;
        Record*& slot = byName_[name];
        if (slot) drop(slot);
        slot = fresh;
        if (!slot) byName_.erase(name);
    }
    bool remove(const std::string& name) {
        const auto found = byName_.find(name);
        if (found == byName_.end()) return false;
        drop(found->second);
        byName_.erase(found);
        return true;
    }
    // Links the records back in the scan's order, the last name in byte
    // order at the front, so indices are those of a fresh start.
    ~Table() {
        std::vector<Record*> records;
        records.reserve(byName_.size());
        for (const auto& entry : byName_) records.push_back(entry.second);
        std::sort(records.begin(), records.end(), [](const Record* a, const Record* b) { return a->name < b->name; });
        head_ = nullptr;
        for (Record* r : records) {
            r->next = head_;
            head_ = r;
        }
    }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

private:
    Record*& head_;
    std::unordered_map<std::string, Record*> byName_;
};

// Lines of text, without their line ends.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

}  // namespace

bool PreviewAssets::loadAll() {
    const std::vector<std::string> names = dataNames();
    std::set<std::string> all(names.begin(), names.end());
    for (auto it = problems_.begin(); it != problems_.end();)
        it = all.count(it->first) ? std::next(it) : problems_.erase(it);
    // Records of files that are gone, then every file again.
    for (const tTexture* t = gfx.textures; t; t = t->next) all.insert(t->name);
    for (const object_type* o = gfx.objects; o; o = o->next) all.insert(o->name);
    return reload(all);
}

bool PreviewAssets::reload(const std::set<std::string>& names) {
    std::vector<std::pair<std::string, AssetKind>> files;
    std::vector<std::string> pictures;
    for (const std::string& name : names) {
        files.emplace_back(name, scannedKind(name));
        if (files.back().second == AssetKind::Texture) pictures.push_back(kDataPrefix + name);
    }
    bool changed = false;
    Table<tTexture> textures(gfx.textures);
    Table<object_type> models(gfx.objects);
    // As at start-up, the pictures are decoded on a second thread while
    // this one makes textures of the ones before.
    DecodeAhead ahead(std::move(pictures), largestTextureSide());
    for (const auto& [name, kind] : files) {
        problems_.erase(name);
        std::string error;
        AssetNotes notes;
        Findings found;
        if (kind == AssetKind::Texture) {
            if (loadAsset(name, kind, error, &ahead, &notes))
                textures.takeLoaded(name);
            else
                found.add(name, 0, Severity::Error, "cannot be loaded (" + error + "); the player stops at start-up");
        } else if (kind == AssetKind::Model) {
            loadAsset(name, kind, error, nullptr, &notes);
            models.takeLoaded(name);
        }
        if (kind == AssetKind::Texture || kind == AssetKind::Model) {
            changed = true;
            checkLoadNotes(name, kind, notes, found);
            if (!found.all().empty()) problems_[name] = linesOf(found.text());
        }
        // Gone, or no longer a texture or model.
        if (kind != AssetKind::Texture) changed = textures.remove(name) || changed;
        if (kind != AssetKind::Model) changed = models.remove(name) || changed;
    }
    return changed;
}
