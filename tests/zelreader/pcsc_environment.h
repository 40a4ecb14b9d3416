// The card every PC/SC test uses: inserted once into "Virtual PCD 00 00"
// for the whole test program; tests give it the content they need.
#pragma once

#include "virtualreader.h"

namespace orvtest {

VirtualReader& insertedCard();

}  // namespace orvtest
