// One model of data/, read by the player's loader: what it draws wrongly,
// what it leaves out, and the texture it asks for when a scene draws it
// without a mask.
#include <unistd.h>  // Required for: close

#include <cstring>  // Required for: strnlen
#include <string>

#include "assets/objectloader.h"
#include "assets/plainfile.h"
#include "checks.h"
#include "grammar.h"
#include "shell/init.h"

namespace {

std::string textureHint(const DataIndex& data, const std::string& name) {
    const std::string hint = data.hint(name, AssetKind::Texture);
    return hint.empty() ? std::string() : "; " + hint;
}

}  // namespace

std::string ownTextureName(const object_type& model) {
    return std::string(model.textureName, strnlen(model.textureName, sizeof model.textureName));
}

void checkModelReport(const std::string& name, const Load3DSReport& report, Findings& findings) {
    auto error = [&](const std::string& m) { findings.add(name, 0, Severity::Error, m); };
    auto warning = [&](const std::string& m) { findings.add(name, 0, Severity::Warning, m); };
    if (report.walkStoppedEarly)
        error("the chunk walk stops early: a chunk length is below 6 or runs past the end of the file");
    else if (report.containerLengthWrong)
        warning("a chunk that holds others claims more bytes than the file has (is the file cut short?); "
                "the player reads the chunks that are there");
    if (report.indicesOutOfRange > 0)
        error(std::to_string(report.indicesOutOfRange) + " triangles name vertices the file does not have; they are not drawn");
    if (report.countsCut) warning("a count is larger than its chunk holds; the rest is cut off");
    if (report.nameTruncated) warning("a name has no end within 20 bytes; it is cut");
    if (report.mapcoordsMissing > 0)
        warning(std::to_string(report.mapcoordsMissing) + " vertex uses have no mapping coordinate");
}

ModelUses modelUses(const CheckInput& in) {
    ModelUses uses;
    for (const Statement& s : in.show.statements) {
        // A sync scene draws its templates, which are statements of their own.
        const CScene& r = s.record;
        if (!s.reached || s.ends || r.sync || r.sceneNumber != 0 || r.type != 0) continue;
        const StatementShape shape = statementShape(s.text);
        const Clause* mask = nullptr;  // the last one counts
        for (const Clause& clause : shape.clauses)
            if (clause.keyword.text == "mask") mask = &clause;
        bool masked = mask && !mask->operands.empty();
        if (mask)
            for (const Word& w : mask->operands) masked = masked && in.data.has(w.text, AssetKind::Texture);
        for (const Clause& clause : shape.clauses) {
            if (clause.keyword.text != "object") continue;
            for (const Word& w : clause.operands) {
                auto [use, fresh] = uses.try_emplace(w.text, masked ? 0 : s.line);
                if (!fresh && use->second == 0 && !masked) use->second = s.line;
            }
        }
    }
    return uses;
}

void checkModel(const DataIndex& data, const ModelUses& models, const DataFile& f, Findings& findings) {
    Load3DSReport report;
    const std::string path = std::string(kDataPrefix) + f.name;
    if (!Load3DS(path, &report)) {
        // Gone, or replaced by a pipe, since the listing: the player passes it over as the listing would.
        PlainOpen opened;
        std::string why;
        const int fd = openPlainFile(path.c_str(), opened, why);
        if (fd >= 0) ::close(fd);
        if (opened == PlainOpen::NotPlain)
            findings.add(f.name, 0, Severity::Warning, kPassedOver);
        else if (opened != PlainOpen::Missing)
            findings.add(f.name, 0, Severity::Error, "cannot be read");
        return;
    }
    checkModelReport(f.name, report, findings);
    auto warning = [&](const std::string& m) { findings.add(f.name, 0, Severity::Warning, m); };
    const object_type* model = getObject(getObjectNum(f.name));
    if (report.meshes > 1 && model) {
        const std::string texture = ownTextureName(*model);
        findings.add(f.name, 0, Severity::Note,
                     std::to_string(report.meshes) + " meshes: the player draws them all as one model, with the texture " +
                         (texture.empty() ? "of the scene's 'mask' (the file names none)"
                                          : "the file names last ('" + texture + "')"));
    }
    if (!model || !model->textureName[0]) return;
    const std::string texture = ownTextureName(*model);
    const auto use = models.find(f.name);
    if (use != models.end() && use->second == 0) return;  // every scene gives it a mask
    if (!data.has(texture, AssetKind::Texture))
        warning("its texture '" + texture + "' is not an image in data; without a 'mask' it is drawn untextured" +
                (use != models.end() ? ", as the scene on line " + std::to_string(use->second) + " draws it" : "") +
                textureHint(data, texture));
}
