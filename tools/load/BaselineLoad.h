#pragma once

#include "LoadOptions.h"
#include "LoadReport.h"

// Baseline mode: the same sender received without the library (see CPlainReceiver), measured
// and reported like library mode so that the figures compare. The window opens with the first
// chunk, so the sender may be started after the tool.
class CBaselineLoad {
public:
    explicit CBaselineLoad(const CLoadOptions& loadOptions) : options(loadOptions) {}

    void Run(CLoadReport& report);

private:
    void Receive(bool udp, CLoadReport& report);

    const CLoadOptions& options;
};
