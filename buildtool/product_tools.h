// The author's side of a product folder: a new folder that builds as it
// stands, and file-script records made from the payload tree.
#pragma once
#include <string>
#include <vector>

// Writes a minimal product (welcome, licence, destination, ready, copy,
// finish; one component; one file) into a folder that is new or empty.
int NewProduct(const std::string &folder, const std::string &title, std::vector<std::string> *errors);

// Writes _FILE1.SCR with one record for every file under folder/files/:
// the first level names the component letter, the rest is the destination
// folder. Records of files still there keep the fields the author set.
int ScanProduct(const std::string &folder, std::string *summary, std::vector<std::string> *errors);
