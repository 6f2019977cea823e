// capsprobe: writes "DisplayCapability.INI" into the program folder (the
// executable's folder, or VANTREL_HOME when set). Takes no arguments.
#include <cstdio>
#include <memory>
#include <string>

#include "probe/probe.h"

int main() {
    std::string why;
    int rc;
    {
        std::unique_ptr<CProbeBackend> backend = MakeSdlProbeBackend();
        rc = RunCapsProbe(*backend, &why);
    }
    if (rc != 0) std::fprintf(stderr, "capsprobe: %s\n", why.c_str());
    return rc;
}
