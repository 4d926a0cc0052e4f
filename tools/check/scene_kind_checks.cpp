// Objects of the wrong kind for their scene: a model scene takes its object
// for a model number and an image scene for a texture name, whatever the
// name's ending says.
#include "checks.h"
#include "grammar.h"

namespace {

bool endsWith(const std::string& word, const char* a, const char* b) {
    return word.size() >= 4 && (word.compare(word.size() - 4, 4, a) == 0 || word.compare(word.size() - 4, 4, b) == 0);
}

void checkOperand(const CheckInput& in, const Statement& s, const StatementShape& shape, const Word& w,
                  Findings& findings) {
    const bool image = s.record.type == 1;
    const bool wrong = image ? endsWith(w.text, ".3ds", ".3DS") : endsWith(w.text, ".jpg", ".JPG");
    if (!wrong) return;
    const std::string message =
        image ? "'" + w.text + "' is a model, but this is an image scene ('type 1'): the player takes its model number "
                               "for a texture and draws the texture bound last, in the corner"
              : "'" + w.text + "' is an image, but this is a model scene ('type 0'): the player takes its texture "
                               "number for a model number and draws another model or nothing";
    const Location at = wordLocation(in, s, shape, w);
    findings.add(Findings::kScript, at.line, Severity::Error, at.note.empty() ? message : message + " (" + at.note + ")");
}

}  // namespace

void checkSceneKinds(const CheckInput& in, Findings& findings) {
    for (const Statement& s : in.show.statements) {
        // A sync scene draws its templates' objects; the tube draws none.
        const CScene& r = s.record;
        if (!s.reached || s.ends || r.sync || r.sceneNumber != 0 || (r.type != 0 && r.type != 1)) continue;
        const StatementShape shape = statementShape(s.text);
        for (const Clause& clause : shape.clauses)
            if (clause.keyword.text == "object")
                for (const Word& w : clause.operands) checkOperand(in, s, shape, w, findings);
    }
}
