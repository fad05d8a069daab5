#pragma once

class Tmainform1;

namespace qv {

// The form's 14 configuration fields to and from a profile file (the format qv418k-cli
// reads and writes). Neither sends anything to the instrument.

// Asks for a file and writes what the fields hold, atomically. When a field holds what
// a profile cannot (an empty range value, a list with no item selected, ...), every such
// field is named in one error report and nothing is written.
void saveSettingsAs(Tmainform1& form);

// Asks for a profile file and fills the fields from it. A file that does not load is
// reported, naming the key and value at fault, and no field changes.
void loadSettings(Tmainform1& form);

} // namespace qv
