#include "device/dialogs.h"
#include "device/identification.h"
#include "device/polling.h"
#include "device/variant.h"

namespace quillon {

namespace {

constexpr int kChoiceRequest1 = 0;

}  // namespace

void StatistikaCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (isRev16(s.identity)) {
        RequestChoiceDialog choice;
        if (!s.ui.show(choice)) return;
        if (choice.choice == kChoiceRequest1)
            RunSimplePoll(s, PollRequest::Command1);
        else
            RunExtendedPoll(s);
        return;
    }
    if (pollsWithExtendedRequest(s.identity))
        RunExtendedPoll(s);
    else
        RunSimplePoll(s, PollRequest::Command1);
}

void AskReq3Command(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (pollsWithExtendedRequest(s.identity))
        RunExtendedPoll(s);
    else
        RunSimplePoll(s, PollRequest::Command3);
}

}  // namespace quillon
