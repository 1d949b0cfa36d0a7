// streamclient-load: measures the library as a host sees it (delivery, loss, CPU, memory,
// set-up and stop times, what it gives back) with many streams at once, and the same sender
// received without the library for comparison. Written only against streamclient.h (its plain
// receivers use the platform layer's sockets). See CLoadOptions for the flags.
#include "BaselineLoad.h"
#include "LibraryLoad.h"
#include "LoadOptions.h"
#include "LoadReport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool WriteJson(const std::string& json, const std::string& path)
{
    if (path.empty())
        return std::fputs(json.c_str(), stdout) >= 0;
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    bool written = std::fputs(json.c_str(), file) >= 0;
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    CLoadOptions options;
    std::string error;
    if (!options.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        std::fprintf(stderr, "streamclient-load: %s\n%s", error.c_str(), CLoadOptions::Usage());
        return 2;
    }
    CLoadReport report;
    if (options.mode == CLoadOptions::Mode::Library)
        CLibraryLoad(options).Run(report);
    else
        CBaselineLoad(options).Run(report);
    report.WriteTable(stderr);
    if (!WriteJson(report.ToJson(), options.jsonPath)) {
        std::fprintf(stderr, "streamclient-load: cannot write %s\n", options.jsonPath.c_str());
        return 1;
    }
    return report.error.empty() ? 0 : 1;
}
