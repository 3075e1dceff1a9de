#include "config/CAboutPage.h"

#include "res/resource.h"

CAboutPage::CAboutPage() : CPropertyPage(IDD_ABOUT_PAGE) {}
