// Field n of a file-script record: the text between the n-th and the next
// "|" (field 0 lies before the first one); empty when the record is shorter.
#pragma once
#include <string>

inline std::string RecordFieldText(const std::string &record, int n) {
    size_t at = 0;
    for (int i = 0; i < n; i++) {
        at = record.find('|', at);
        if (at == std::string::npos) return "";
        at++;
    }
    size_t end = record.find('|', at);
    return end == std::string::npos ? "" : record.substr(at, end - at);
}
