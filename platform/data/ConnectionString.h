// Reading "key=value;key=value" connection strings as ADO does. No Windows header.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qn {

// The pairs in stored order. Blanks around keys and values are dropped; a value may be
// quoted with ' or " (the quote doubled inside stands for itself), which keeps its ';'
// and blanks. Pieces without '=' are skipped.
std::vector<std::pair<std::wstring, std::wstring>> ParseConnectionString(const std::wstring& text);

// The value of key (compared without regard to case); a key given twice yields the last.
std::optional<std::wstring> ConnectionStringValue(const std::wstring& text, const std::wstring& key);

}  // namespace qn
