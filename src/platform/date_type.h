// OLE automation date: days since 30 December 1899, time of day as fraction.
// A header of its own, so that date code can do without the COM types.
#pragma once

using DATE = double;
