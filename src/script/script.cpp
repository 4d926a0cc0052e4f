// The scene statement parser: turns the next group of statements with equal
// start times into scene records and files them in track order.
#include "script/script.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "assets/imageloader.h"   // Required for: getTextureNum, getTexture
#include "assets/objectloader.h"  // Required for: getObjectNum
#include "draw/rm_evil_bezier.h"  // Required for: scene1
#include "script/words.h"
#include "shell/engine.h"  // Required for: engine.quit on "end"

namespace {

// The words of one statement, read one at a time into a reused buffer.
struct StatementWords {
    const std::string* text = nullptr;
    size_t pos = 0;
    std::string word;

    void reset(const std::string& statement) {
        text = &statement;
        pos = 0;
    }
    bool next() {
        size_t begin, end;
        if (!nextWord(*text, pos, begin, end)) return false;
        word.assign(*text, begin, end - begin);
        pos = end;
        return true;
    }
    // Takes the next word when it is "to"; any other word is left for the
    // next clause to read as its keyword.
    bool takeTo() {
        const size_t before = pos;
        if (next() && word == "to") return true;
        pos = before;
        return false;
    }
};

}  // namespace

static int32_t addTime(int32_t time, int32_t length) {
    const int64_t sum = int64_t(time) + int64_t(length);
    return int32_t(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A missing word or one that is not a number leaves the field unchanged.
static void intOperand(StatementWords& in, int32_t& value) {
    if (in.next()) readInt(in.word, value);
}

static void floatOperands(StatementWords& in, float* values, int count) {
    for (int i = 0; i < count && in.next(); i++) readFloat(in.word, values[i]);
}

// Start values, then end values after "to"; true when there was a "to".
static bool animatedFloats(StatementWords& in, float* start, float* end, int count) {
    floatOperands(in, start, count);
    if (!in.takeTo()) return false;
    floatOperands(in, end, count);
    return true;
}

enum class NameKind { Image, Model, Number };

// The last four characters tell an image or a model name from a number;
// anything shorter is a number.
static NameKind nameKind(const std::string& name) {
    if (name.size() < 4) return NameKind::Number;
    const std::string ending = name.substr(name.size() - 4);
    if (ending == ".jpg" || ending == ".JPG") return NameKind::Image;
    if (ending == ".3ds" || ending == ".3DS") return NameKind::Model;
    return NameKind::Number;
}

// An object operand: a texture's GL name (and, when size is given, the
// image's size), a model number, or a number as written.
static void objectOperand(StatementWords& in, int32_t& object, CScene* size) {
    if (!in.next()) return;
    switch (nameKind(in.word)) {
    case NameKind::Image: {
        const int texture = getTextureNum(in.word);
        object = getTexture(texture, 0);
        if (size) {
            size->imageWidth = getTexture(texture, 1);
            size->imageHeight = getTexture(texture, 2);
        }
        break;
    }
    case NameKind::Model:
        object = getObjectNum(in.word);
        break;
    case NameKind::Number:
        readInt(in.word, object);
        break;
    }
}

// A mask operand: a texture's GL name or a number as written.
static void maskOperand(StatementWords& in, int32_t& mask) {
    if (!in.next()) return;
    if (nameKind(in.word) == NameKind::Image)
        mask = getTexture(getTextureNum(in.word), 0);
    else
        readInt(in.word, mask);
}

// One function per clause keyword; each reads its operands from in.
using Clause = void (*)(StatementWords& in, CScene& s);

static void sceneClause(StatementWords& in, CScene& s) { intOperand(in, s.sceneNumber); }
static void trackClause(StatementWords& in, CScene& s) { intOperand(in, s.track); }
static void typeClause(StatementWords& in, CScene& s) { intOperand(in, s.type); }

static void syncClause(StatementWords& in, CScene& s) {
    s.sync = true;
    s.syncPos = -1;
    intOperand(in, s.syncList);
}

static void insyncClause(StatementWords&, CScene& s) { s.insync = true; }

static void durationClause(StatementWords& in, CScene& s) {
    intOperand(in, s.duration);
    s.endTime = addTime(s.startTime, s.duration);
}

static void objectClause(StatementWords& in, CScene& s) {
    objectOperand(in, s.objectStart, &s);
    if (!in.takeTo()) return;
    s.objectAnim = true;
    objectOperand(in, s.objectEnd, nullptr);  // the image size stays the first image's
}

static void maskClause(StatementWords& in, CScene& s) {
    s.maskOn = true;
    maskOperand(in, s.maskStart);
    if (!in.takeTo()) return;
    s.maskAnim = true;
    maskOperand(in, s.maskEnd);
}

static void blendFuncClause(StatementWords& in, CScene& s) {
    intOperand(in, s.blendSrc);
    intOperand(in, s.blendDst);
}

static void opacityClause(StatementWords& in, CScene& s) {
    s.opacityOn = true;
    if (animatedFloats(in, &s.opacityStart, &s.opacityEnd, 1)) s.opacityAnim = true;
}

static void colorClause(StatementWords& in, CScene& s) {
    s.colorOn = true;
    if (animatedFloats(in, s.colorStart, s.colorEnd, 3)) s.colorAnim = true;
}

static void angleClause(StatementWords& in, CScene& s) {
    s.rotateOn = true;
    if (animatedFloats(in, &s.angleStart, &s.angleEnd, 1)) s.angleAnim = true;
}

static void rotateClause(StatementWords& in, CScene& s) {
    s.rotateOn = true;
    if (animatedFloats(in, s.axisStart, s.axisEnd, 3)) s.axisAnim = true;
}

static void scaleClause(StatementWords& in, CScene& s) {
    s.scaleOn = true;
    if (animatedFloats(in, s.scaleStart, s.scaleEnd, 3)) s.scaleAnim = true;
}

static void translateClause(StatementWords& in, CScene& s) {
    s.translateOn = true;
    if (animatedFloats(in, s.translateStart, s.translateEnd, 3)) s.translateAnim = true;
}

static void moveClause(StatementWords& in, CScene& s) {
    s.moveOn = true;
    if (animatedFloats(in, s.moveStart, s.moveEnd, 2)) s.moveAnim = true;
}

static void blendClause(StatementWords&, CScene& s) { s.blend = true; }
static void envmapClause(StatementWords&, CScene& s) { s.envmap = true; }
static void wireframeClause(StatementWords&, CScene& s) { s.wireframe = true; }
static void centerClause(StatementWords&, CScene& s) { s.center = true; }
static void noClause(StatementWords&, CScene&) {}
static void endClause(StatementWords&, CScene&) { engine.quit(); }

struct Keyword {
    std::string_view word;
    Clause apply;
};

static const Keyword keywords[] = {
    {"scene", sceneClause},         {"track", trackClause},     {"type", typeClause},
    {"sync", syncClause},           {"insync", insyncClause},   {"duration", durationClause},
    {"object", objectClause},       {"mask", maskClause},       {"blendFunc", blendFuncClause},
    {"opacity", opacityClause},     {"color", colorClause},     {"angle", angleClause},
    {"rotate", rotateClause},       {"scale", scaleClause},     {"translate", translateClause},
    {"move", moveClause},           {"blend", blendClause},     {"envmap", envmapClause},
    {"wireframe", wireframeClause}, {"center", centerClause},   {"reflect", noClause},
    {"???", noClause},              {"end", endClause},
};

// Any word that is not a keyword is ignored.
static void applyClause(StatementWords& in, CScene& s) {
    for (const Keyword& keyword : keywords)
        if (in.word == keyword.word) {
            keyword.apply(in, s);
            return;
        }
}

// What every statement starts from; fields not listed here carry over from
// the statement before it in the same call.
static void resetRecord(CScene& s) {
    s.blend = s.envmap = s.wireframe = s.center = false;
    s.sync = s.insync = false;
    s.rotateOn = s.translateOn = s.scaleOn = s.moveOn = s.colorOn = s.opacityOn = s.maskOn = false;
    s.axisAnim = s.translateAnim = s.scaleAnim = s.moveAnim = s.colorAnim = false;
    s.angleAnim = s.objectAnim = s.opacityAnim = s.maskAnim = false;
    s.type = 100;
    s.sceneNumber = 0;
    s.endTime = 0;
    s.blendSrc = 770;  // GL_SRC_ALPHA
    s.blendDst = 1;    // GL_ONE
    s.maskStart = -1;
}

// The record before the first statement of a call.
static CScene freshRecord() {
    CScene s{};
    s.opacityStart = 1.0f;
    s.maskStart = -1;
    return s;
}

// Parses one statement into s; time is its start time from the timeline,
// used when the statement's first word is not a number.
static void parseStatement(StatementWords& in, const std::string& statement, int32_t time, CScene& s) {
    resetRecord(s);
    in.reset(statement);
    s.startTime = time;
    if (in.next()) readInt(in.word, s.startTime);
    while (in.next()) applyClause(in, s);
    if (s.sync) s.syncEndTime = s.endTime;
}

// Files a group of new records into scenes in one pass, in the order that
// inserting them one at a time would give: each before the first record of
// a lower track as the list then stands, so equal tracks keep their order.
// Each new record lands in front of the first old record of a lower track,
// and the new records in front of the same old one come out sorted by track,
// highest first, equal tracks in parse order; a stable sort and a merge give
// that without a scan of the list per record. The old list need not be
// sorted (a sync scene takes over its template's track without moving).
static void insertByTrack(std::vector<CScene>& scenes, std::vector<CScene>& group) {
    std::stable_sort(group.begin(), group.end(), [](const CScene& a, const CScene& b) { return a.track > b.track; });
    std::vector<CScene> merged;
    merged.reserve(scenes.size() + group.size());
    size_t old = 0;
    for (CScene& record : group) {
        // Thresholds only fall, so the first lower old record only moves on.
        while (old < scenes.size() && scenes[old].track >= record.track) merged.push_back(std::move(scenes[old++]));
        merged.push_back(std::move(record));
    }
    for (; old < scenes.size(); old++) merged.push_back(std::move(scenes[old]));
    scenes.swap(merged);
    group.clear();
}

// The records parsed so far go into the list also when a statement ends the
// show part way through the group (its own record is never made).
struct GroupIntake {
    std::vector<CScene>& scenes;
    std::vector<CScene> group;
    ~GroupIntake() { insertByTrack(scenes, group); }
};

void CScript::parse(const std::function<void(int32_t, const CScene&)>& file) {
    const int32_t count = int32_t(std::min(statements.size(), startTimes.size()));
    if (nextStatement < 0 || nextStatement >= count) return;

    StatementWords in;
    CScene record = freshRecord();
    GroupIntake intake{scenes, {}};
    for (;;) {
        const int32_t index = nextStatement;
        parseStatement(in, statements[index], startTimes[index], record);
        if (file) {
            file(index, record);
        } else {
            if (record.sceneNumber == 1) scene1.copy(record);
            intake.group.push_back(record);
        }
        nextStatement++;
        // After the last statement nothing more is parsed; the scenes play on.
        if (nextStatement >= count || startTimes[nextStatement] != startTimes[index]) return;
    }
}
