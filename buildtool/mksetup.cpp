// mksetup: writes, lists and verifies setup program files.
#include "buildtool/product_check.h"
#include "buildtool/product_tools.h"
#include "buildtool/script_keys.h"
#include "buildtool/setup_file.h"
#include <stdio.h>
#include <string.h>

static int Usage() {
    fprintf(stderr,
            "usage: mksetup build [--unchecked] ENGINE LIBRARY PRODUCT-FOLDER OUTPUT\n"
            "       mksetup check PRODUCT-FOLDER\n"
            "       mksetup new PRODUCT-FOLDER [TITLE]\n"
            "       mksetup scan PRODUCT-FOLDER\n"
            "       mksetup keys   (the main script's keys as Markdown tables)\n"
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
    if (argc == 2 && !strcmp(argv[1], "keys")) {
        fputs(KeyTablesMarkdown().c_str(), stdout);
        return 0;
    }
    if (argc < 3) return Usage();
    std::vector<std::string> errors;
    if (!strcmp(argv[1], "build") && (argc == 6 || (argc == 7 && !strcmp(argv[2], "--unchecked")))) {
        char **a = argv + argc - 4;
        if (argc == 6) {
            // The product is checked first; warnings are shown, errors stop.
            std::vector<Finding> findings;
            int failed = CheckProduct(a[2], &findings);
            fputs(FormatFindings(findings).c_str(), stderr);
            if (failed) return Report(1, {std::string(a[2]) + ": " + std::to_string(failed) +
                                          " errors; nothing written (--unchecked builds it as it is)"});
        }
        BuildInput in = {a[0], a[1], a[2], a[3]};
        return Report(BuildSetupProgram(in, &errors), errors);
    }
    if (!strcmp(argv[1], "check") && argc == 3) {
        std::vector<Finding> findings;
        int failed = CheckProduct(argv[2], &findings);
        fputs(FormatFindings(findings).c_str(), stdout);
        return failed ? 1 : 0;
    }
    if (!strcmp(argv[1], "new") && (argc == 3 || argc == 4)) {
        int r = NewProduct(argv[2], argc == 4 ? argv[3] : "My Product", &errors);
        if (!r) printf("%s: new product; build it with mksetup build ENGINE LIBRARY %s OUTPUT\n", argv[2], argv[2]);
        return Report(r, errors);
    }
    if (!strcmp(argv[1], "scan") && argc == 3) {
        std::string summary;
        int r = ScanProduct(argv[2], &summary, &errors);
        fputs(summary.c_str(), stdout);
        return Report(r, errors);
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
