#include "app/TTovan_Form1.h"

namespace vidlark {

// Temporary: the library listing fills the pane once it lands; until then
// an opened pane shows an empty list.
void TTovan_Form1::RefreshLibrary()
{
}

} // namespace vidlark
