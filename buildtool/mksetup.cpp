// mksetup: writes, lists and verifies setup program files.
#include "buildtool/product_check.h"
#include "buildtool/product_tools.h"
#include "buildtool/program_image.h"
#include "buildtool/script_keys.h"
#include "buildtool/setup_file.h"
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int Usage() {
    fprintf(stderr,
            "usage: mksetup build [--unchecked] [--32|--64] [ENGINE LIBRARY] PRODUCT-FOLDER OUTPUT\n"
            "         (without ENGINE and LIBRARY: the release build's, 32-bit unless --64)\n"
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

static std::string Count(int n, const char *what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

static bool IsFile(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

static std::string ToolPath(const char *argv0) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    return n > 0 ? std::string(self, n) : argv0;
}

// build [--unchecked] [--32|--64] [ENGINE LIBRARY] PRODUCT OUTPUT
static int Build(int argc, char **argv) {
    bool unchecked = false;
    int width = 32;
    std::vector<std::string> args;
    for (int i = 2; i < argc; i++) {
        if (!strcmp(argv[i], "--unchecked")) unchecked = true;
        else if (!strcmp(argv[i], "--32") || !strcmp(argv[i], "--64")) width = atoi(argv[i] + 2);
        else args.push_back(argv[i]);
    }
    if (args.size() != 2 && args.size() != 4) return Usage();
    BuildInput in;
    in.product = args[args.size() - 2];
    in.output = args.back();
    if (args.size() == 4) {
        in.engine = args[0], in.library = args[1];
        size_t slash = in.engine.rfind('/');
        std::string uninstaller = (slash == std::string::npos ? "." : in.engine.substr(0, slash)) + "/uninstx.exe";
        if (IsFile(uninstaller)) in.uninstaller = uninstaller;
    } else {
        std::string searched;
        BuildPrograms found;
        if (!FindBuildPrograms(ToolPath(argv[0]), width, &found, &searched))
            return Report(1, {"no " + std::to_string(width) + "-bit setupeng.exe and supportlib.dll in " + searched +
                              "; name them: mksetup build ENGINE LIBRARY PRODUCT-FOLDER OUTPUT"});
        in.engine = found.engine, in.library = found.library, in.uninstaller = found.uninstaller;
    }
    std::vector<std::string> errors;
    CheckProgramPair(in.engine, ReadProgramImageFile(in.engine), in.library, ReadProgramImageFile(in.library), &errors);
    if (!errors.empty()) return Report(1, errors);
    if (!unchecked) {
        // The product is checked first; warnings are shown, errors stop.
        std::vector<Finding> findings;
        int failed = CheckProduct(in.product, &findings, in.uninstaller);
        fputs(FormatFindings(findings).c_str(), stderr);
        if (failed)
            return Report(1, {in.product + ": " + Count(failed, "error") +
                              "; nothing written (--unchecked builds it as it is)"});
    }
    if (BuildSetupProgram(in, &errors)) return Report(1, errors);
    printf("%s (engine %s)\n", SetupSummary(in.output).c_str(), in.engine.c_str());
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 2 && !strcmp(argv[1], "keys")) {
        fputs(KeyTablesMarkdown().c_str(), stdout);
        return 0;
    }
    if (argc < 3) return Usage();
    std::vector<std::string> errors;
    if (!strcmp(argv[1], "build")) return Build(argc, argv);
    if (!strcmp(argv[1], "check") && argc == 3) {
        // The uninstaller the build would add, as build finds it.
        BuildPrograms found;
        std::string searched;
        if (!FindBuildPrograms(ToolPath(argv[0]), 32, &found, &searched)) FindBuildPrograms(ToolPath(argv[0]), 64, &found, &searched);
        std::vector<Finding> findings;
        int failed = CheckProduct(argv[2], &findings, found.uninstaller);
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
        struct stat st;
        if (stat(argv[2], &st) == 0 && !S_ISREG(st.st_mode)) return Report(1, {std::string(argv[2]) + ": is no file"});
        std::string listing;
        int r = ListSetupProgram(argv[2], &listing, &errors);
        fputs(listing.c_str(), stdout);
        return Report(r, errors);
    }
    if (!strcmp(argv[1], "verify") && argc == 3) {
        struct stat st;
        if (stat(argv[2], &st) == 0 && !S_ISREG(st.st_mode)) return Report(1, {std::string(argv[2]) + ": is no file"});
        CheckSetupProgramPair(argv[2], &errors);
        int r = VerifySetupProgram(argv[2], &errors);
        if (!r && errors.empty()) printf("%s: verified\n", SetupSummary(argv[2]).c_str());
        return Report(r || !errors.empty(), errors);
    }
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
