#include "StartPlan.h"

namespace quaverly {

StartPlan PlanStart(std::string_view mode, bool hasFileArgument, bool playAndExit)
{
    StartPlan plan;
    const bool importsText = mode == "/CIN";
    if (importsText) {
        // Also when the file cannot be read: it is never opened as a melody.
        plan.numericText = hasFileArgument ? NumericTextSource::File : NumericTextSource::Clipboard;
    }
    plan.opensFile = hasFileArgument && !importsText;
    plan.offersJournal = !hasFileArgument && !playAndExit && !importsText;
    plan.playsAndEnds = playAndExit;
    return plan;
}

}  // namespace quaverly
