#include "checks.h"

Findings checkShow(const LoadedShow& show, bool assets) {
    DataIndex data;
    data.scan();
    const SourceMap source(show.physical);
    const CheckInput in{show, source, data};
    Findings findings;
    if (assets) checkAssets(data, findings);
    checkOptions(in, findings);
    checkStatements(in, findings);
    checkTiming(in, findings);
    checkSceneKinds(in, findings);
    checkSyncTemplates(in, findings);
    checkIndentedComments(in, findings);
    return findings;
}
