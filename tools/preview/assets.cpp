#include "assets.h"

#include <GL/gl.h>

#include <iterator>
#include <set>
#include <vector>

#include "assets/dir.h"
#include "assets/gfx.h"
#include "assets/imageloader.h"
#include "assets/objectloader.h"
#include "checks.h"  // Required for: checkLoadNotes, Findings
#include "shell/init.h"

PreviewAssets assets;

namespace {

// Both tables are lists with the last file of the scan's byte order at the
// front, one record a name.
template <typename Record>
Record* unlink(Record*& head, const std::string& name) {
    for (Record** link = &head; *link; link = &(*link)->next)
        if ((*link)->name == name) {
            Record* found = *link;
            *link = found->next;
            found->next = nullptr;
            return found;
        }
    return nullptr;
}

// The loaders file a new record at the front; this moves it to the place
// the scan would have given it, so indices are those of a fresh start.
template <typename Record>
void fileInOrder(Record*& head) {
    Record* record = head;
    head = record->next;
    Record** link = &head;
    while (*link && (*link)->name > record->name) link = &(*link)->next;
    record->next = *link;
    *link = record;
}

void dropTexture(tTexture* t) {
    if (!t) return;
    glDeleteTextures(1, &t->id);
    delete t;
}

void dropModel(object_type* o) { delete o; }

// Puts the record a loader has just filed at the front in the place of the
// old one of its name. When the loader filed none, the file could not be
// opened: it is gone, and so is the old record.
template <typename Record>
void replaceByFront(Record*& head, Record* oldFront, const std::string& name, void (*drop)(Record*)) {
    if (head == oldFront) {
        drop(unlink(head, name));
        return;
    }
    Record* fresh = head;
    head = fresh->next;
    drop(unlink(head, name));
    fresh->next = head;
    head = fresh;
    fileInOrder(head);
}

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

void PreviewAssets::loadAll() {
    const std::vector<std::string> names = dataNames();
    const std::set<std::string> present(names.begin(), names.end());
    for (auto it = problems_.begin(); it != problems_.end();)
        it = present.count(it->first) ? std::next(it) : problems_.erase(it);
    // Records of files that are gone, then every file again.
    std::vector<std::string> gone;
    for (const tTexture* t = gfx.textures; t; t = t->next)
        if (!present.count(t->name)) gone.push_back(t->name);
    for (const object_type* o = gfx.objects; o; o = o->next)
        if (!present.count(o->name)) gone.push_back(o->name);
    for (const std::string& name : gone) reload(name);
    for (const std::string& name : names) reload(name);
}

bool PreviewAssets::reload(const std::string& name) {
    const AssetKind kind = scannedKind(name);
    problems_.erase(name);
    std::string error;
    AssetNotes notes;
    Findings found;
    if (kind == AssetKind::Texture) {
        tTexture* const front = gfx.textures;
        if (loadAsset(name, kind, error, nullptr, &notes))
            replaceByFront(gfx.textures, front, name, dropTexture);
        else
            found.add(name, 0, Severity::Error, "cannot be loaded (" + error + "); the player stops at start-up");
    } else if (kind == AssetKind::Model) {
        object_type* const front = gfx.objects;
        loadAsset(name, kind, error, nullptr, &notes);
        replaceByFront(gfx.objects, front, name, dropModel);
    }
    if (kind == AssetKind::Texture || kind == AssetKind::Model) {
        checkLoadNotes(name, kind, notes, found);
        if (!found.all().empty()) problems_[name] = linesOf(found.text());
        return true;
    }
    // Gone, or no longer a texture or model.
    tTexture* texture = unlink(gfx.textures, name);
    object_type* model = unlink(gfx.objects, name);
    dropTexture(texture);
    dropModel(model);
    return texture || model;
}
