/* Names, control ids and template texts of the plug-in's resources, in one place for
   the resource scripts (windres reads this file through its C preprocessor) and the
   C++ code. Plain #defines only, so that both can read it. */
#ifndef CSPLUGIN_RESOURCE_IDS_H
#define CSPLUGIN_RESOURCE_IDS_H

/* Buttons of both dialogs: the dialog manager's own OK and Cancel ids. */
#define IDC_OK 1
#define IDC_CANCEL 2

/* CARDPIN: the charge and the deposit dialog. Resource names compare without regard to
   case: the exports request the templates in these spellings, which the station
   program's dialog function sees. */
#define CARDPIN_TEMPLATE "CARDPIN"
#define CARDPIN_REQUESTED_NAME "CardPIN"
#define IDC_CARD_MESSAGE 100   /* the message line: every prompt, progress text and error */
#define IDC_CARD_ENTRY 101     /* card number (masked), then the deposit amount */
#define IDC_CARD_PICTURE 200   /* owner-drawn state picture */
#define IDC_CARD_MINI_ICON 3534
#define IDC_CARD_EXIT_ICON 3535

#define CARDPIN_CAPTION "Card ID"
#define CARDPIN_PROMPT "Please enter your card ID number,\nor swipe your card in the card reader."
#define CARDPIN_NEXT_TEXT "&Next >"
#define CARDPIN_CANCEL_TEXT "&Cancel"
#define CARDPIN_MINI_ICON_TEXT "MiniIcon"
#define CARDPIN_EXIT_ICON_TEXT "ExitIcon"

/* CONFIGURE: the configuration dialog. IDC_OK is Save. */
#define CONFIGURE_TEMPLATE "CONFIGURE"
#define CONFIGURE_REQUESTED_NAME "Configure"
#define IDC_CONFIG_URL 100
#define IDC_CONFIG_MERCHANT_ID 101
#define IDC_CONFIG_TERMINAL_ID 102
#define IDC_CONFIG_BATCH_NUMBER 103
#define IDC_CONFIG_MERCHANT_CODE 104
#define IDC_CONFIG_PREFIX_MATCH 105
#define IDC_CONFIG_ACCOUNT_NUMBER 110
#define IDC_CONFIG_TEST 111
#define IDC_CONFIG_LOWER_RULE 119
#define IDC_STATIC -1

#define CONFIGURE_CAPTION "Quillbar CardSmith Interface"
#define CONFIGURE_URL_LABEL "Access URL:"
#define CONFIGURE_MERCHANT_ID_LABEL "Merchant Card Acceptor ID:"
#define CONFIGURE_TERMINAL_ID_LABEL "Terminal ID:"
#define CONFIGURE_BATCH_NUMBER_LABEL "Batch number:"
#define CONFIGURE_MERCHANT_CODE_LABEL "Merchant category code:"
#define CONFIGURE_PREFIX_MATCH_LABEL "Card prefix sequence match:"
#define CONFIGURE_ACCOUNT_NUMBER_LABEL "Account number:"
#define CONFIGURE_TEST_TEXT "Test"
#define CONFIGURE_SAVE_TEXT "Save"
#define CONFIGURE_CANCEL_TEXT "Cancel"

/* CARDIDLIST: the four 36 x 37 state pictures of the card dialogs. */
#define CARD_PICTURES_RESOURCE "CARDIDLIST"

#endif
