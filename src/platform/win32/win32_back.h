// Every header of the Windows back includes this first. The portable core
// reaches the system only through a Platform; a portable file that included
// a back's header would still build on Windows and break only the Linux
// build, so such an include is stopped here, on every system.
#pragma once

#ifndef WIRENOTE_WIN32_BACK
#error "a header of the Windows back: only the back itself, the program and their tests may include it"
#endif
