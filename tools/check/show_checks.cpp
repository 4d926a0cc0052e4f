#include "checks.h"

Findings checkShow(const LoadedShow& show, bool assets, const BeatGrid* beats) {
    DataIndex data;
    data.scan();
    const SourceMap source(show.physical);
    const CheckInput in{show, source, data, beats};
    Findings findings;
    if (assets) checkAssets(data, modelUses(in), findings);
    checkScript(in, findings);
    return findings;
}

void checkScript(const CheckInput& in, Findings& findings) {
    checkOptions(in, findings);
    checkStatements(in, findings);
    checkTiming(in, findings);
    checkSceneKinds(in, findings);
    const Timeline timeline = buildTimeline(in.show);
    checkSyncTemplates(in, timeline, findings);
    checkSyncMarksPastEnd(in, timeline, findings);
    checkTrackOverlaps(in, timeline, findings);
    checkJoinedLines(in, findings);
    checkBeats(in, findings);
    checkIndentedComments(in, findings);
}
