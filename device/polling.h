#pragma once

#include "device/device_state.h"
#include "device/polling_answer.h"
#include "device/result_file.h"

namespace quillon {

// Menu command "Статистика обмена": identifies the device, lets a revision-16
// device choose between request 1 and the extended poll, then polls until the
// user stops. Runs inside the caller's port bracket.
void StatistikaCommand(DeviceState& s);

// Menu command "Опрос датчика (запрос 3)": the extended poll for the variants
// that carry two measuring channels, otherwise the simple poll with request 3.
void AskReq3Command(DeviceState& s);

// The simple poll with request 1 or 3 (a density meter may switch to its
// period output). `wallClock` dates the records of the result file.
void RunSimplePoll(DeviceState& s, PollRequest request, const WallClock& wallClock = SystemWallClock());

// Four values of request 3 side by side, with their averages.
void RunExtendedPoll(DeviceState& s);

}  // namespace quillon
