// mksetup: writes, lists and verifies setup program files.
#include "buildtool/setup_file.h"
#include <stdio.h>
#include <string.h>

static int Usage() {
    fprintf(stderr,
            "usage: mksetup build ENGINE LIBRARY PRODUCT-FOLDER OUTPUT\n"
            "       mksetup list SETUP\n"
            "       mksetup verify SETUP\n"
            "       mksetup szdd LIBRARY OUTPUT   (the library's SZDD form, padded)\n");
    return 2;
}

static int Report(int result, const std::vector<std::string> &errors) {
    for (const std::string &e : errors) fprintf(stderr, "mksetup: %s\n", e.c_str());
    return result;
}

int main(int argc, char **argv) {
    if (argc < 3) return Usage();
    std::vector<std::string> errors;
    if (!strcmp(argv[1], "build") && argc == 6) {
        BuildInput in = {argv[2], argv[3], argv[4], argv[5]};
        return Report(BuildSetupProgram(in, &errors), errors);
    }
    if (!strcmp(argv[1], "list") && argc == 3) {
        std::string listing;
        int r = ListSetupProgram(argv[2], &listing, &errors);
        fputs(listing.c_str(), stdout);
        return Report(r, errors);
    }
    if (!strcmp(argv[1], "verify") && argc == 3) return Report(VerifySetupProgram(argv[2], &errors), errors);
    if (!strcmp(argv[1], "szdd") && argc == 4) {
        FILE *f = fopen(argv[2], "rb");
        if (!f) return Report(1, {std::string(argv[2]) + ": cannot be read"});
        std::string dll, szdd;
        char buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) dll.append(buf, n);
        fclose(f);
        if (!LibrarySzdd(dll, &szdd, &errors)) return Report(1, errors);
        f = fopen(argv[3], "wb");
        if (!f || fwrite(szdd.data(), 1, szdd.size(), f) != szdd.size()) return Report(1, {std::string(argv[3]) + ": cannot be written"});
        fclose(f);
        printf("support library: %zu bytes, SZDD form %zu bytes\n", dll.size(), szdd.size());
        return 0;
    }
    return Usage();
}
