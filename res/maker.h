// The maker's addresses and notice, shared by the resource script and the
// About box.
#pragma once

#define MAKER_HOME_PAGE     "http://www.example.org/orbela/"
#define MAKER_LISTING_PAGE  "http://www.example.org/programy/"
#define MAKER_MAIL          "orbela@example.org"
#define MAKER_NOTICE        "Výukový program zdarma"
