#pragma once

namespace verdane::vb {

// The words the code pane shows as classic VB keywords: lower case, separated by single spaces, the form Scintilla's
// lexers take a keyword list in (they compare words lowered, so any letter case matches).
const char* keywordList();

} // namespace verdane::vb
