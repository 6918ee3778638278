// Rules a product breaks while every line of it reads well: list values the
// engine does not know, targets the product does not install, actions that
// reach outside the installation folder, paths too long for Windows,
// variables that are set but never expanded, and the product's own
// libraries.
#pragma once
#include "buildtool/product_check.h"
#include <set>
#include <string>
#include <vector>

struct InstalledFile {
    std::string folder, name;  // fields 23 and 22 of the record
    int line;                  // in the file script
};

struct ProductFacts {
    std::string folder;                 // as the author names it
    const std::vector<IniKey> *keys;    // of the main script
    std::vector<InstalledFile> files;   // records that name a file
    std::set<std::string> listed;       // variables [VARIABLES] lists by number, upper case
};

void CheckProductRules(const ProductFacts &facts, std::vector<Finding> *findings);

// The path of a product's setup file as Windows would find it: the name in
// any case ("VTDLLX.DLL" for "vtdllx.dll"); folder/name when none is there.
std::string SetupFilePath(const std::string &folder, const std::string &name);

// The number the text begins with (0 when none), saturated near 10^9.
long LeadingNumber(const std::string &s);
