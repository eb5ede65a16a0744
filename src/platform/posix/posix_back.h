// Every header of the POSIX back includes this first. The portable core
// reaches the system only through a Platform; a portable file that included
// a back's header would still build on Linux and break only the Windows
// build, so such an include is stopped here, on every system.
#pragma once

#ifndef WIRENOTE_POSIX_BACK
#error "a header of the POSIX back: only the back itself, the program and their tests may include it"
#endif
