#pragma once

#include "framework/CPropertyPage.h"

// The "About" tab: product, version and the maker's address; writes nothing.
class CAboutPage : public CPropertyPage {
public:
    CAboutPage();
};
