// What SETUP.EXE's pages read and write beyond the shared record: the free
// and required kilobytes of the directory page. SETUP.EXE's record derives
// from this one and binds Pages to it.
#pragma once

#include "win32/program_state.h"

struct PageState : ProgramState {
    LONG AvailableKb{};
    LONG SizeInst{};
};

extern PageState &Pages;
