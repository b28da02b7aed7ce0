#pragma once

// The accessibility interface's names, as the system spells them: notifications, roles,
// subroles, attributes and actions. The simulated desktop answers in these names and the desktop
// model's typed vocabulary reads them, so that each name is written once. An identifier that is a
// C++ keyword carries an underscore ("delete_").

#include <string_view>

namespace zoral::platform::ax {

// Notifications an observer can register.
namespace notification {
inline constexpr std::string_view mainWindowChanged = "AXMainWindowChanged";
inline constexpr std::string_view focusedWindowChanged = "AXFocusedWindowChanged";
inline constexpr std::string_view focusedUIElementChanged = "AXFocusedUIElementChanged";
inline constexpr std::string_view applicationActivated = "AXApplicationActivated";
inline constexpr std::string_view applicationDeactivated = "AXApplicationDeactivated";
inline constexpr std::string_view applicationHidden = "AXApplicationHidden";
inline constexpr std::string_view applicationShown = "AXApplicationShown";
inline constexpr std::string_view windowCreated = "AXWindowCreated";
inline constexpr std::string_view windowMoved = "AXWindowMoved";
inline constexpr std::string_view windowResized = "AXWindowResized";
inline constexpr std::string_view windowMiniaturized = "AXWindowMiniaturized";
inline constexpr std::string_view windowDeminiaturized = "AXWindowDeminiaturized";
inline constexpr std::string_view drawerCreated = "AXDrawerCreated";
inline constexpr std::string_view sheetCreated = "AXSheetCreated";
inline constexpr std::string_view uiElementDestroyed = "AXUIElementDestroyed";
inline constexpr std::string_view valueChanged = "AXValueChanged";
inline constexpr std::string_view titleChanged = "AXTitleChanged";
inline constexpr std::string_view resized = "AXResized";
inline constexpr std::string_view moved = "AXMoved";
inline constexpr std::string_view created = "AXCreated";
inline constexpr std::string_view layoutChanged = "AXLayoutChanged";
inline constexpr std::string_view helpTagCreated = "AXHelpTagCreated";
inline constexpr std::string_view selectedTextChanged = "AXSelectedTextChanged";
inline constexpr std::string_view rowCountChanged = "AXRowCountChanged";
inline constexpr std::string_view selectedChildrenChanged = "AXSelectedChildrenChanged";
inline constexpr std::string_view selectedRowsChanged = "AXSelectedRowsChanged";
inline constexpr std::string_view selectedColumnsChanged = "AXSelectedColumnsChanged";
inline constexpr std::string_view rowExpanded = "AXRowExpanded";
inline constexpr std::string_view rowCollapsed = "AXRowCollapsed";
inline constexpr std::string_view selectedCellsChanged = "AXSelectedCellsChanged";
inline constexpr std::string_view unitsChanged = "AXUnitsChanged";
inline constexpr std::string_view selectedChildrenMoved = "AXSelectedChildrenMoved";
inline constexpr std::string_view announcementRequested = "AXAnnouncementRequested";
}  // namespace notification

// Roles ("AXRole").
namespace role {
inline constexpr std::string_view unknown = "AXUnknown";
inline constexpr std::string_view button = "AXButton";
inline constexpr std::string_view radioButton = "AXRadioButton";
inline constexpr std::string_view checkBox = "AXCheckBox";
inline constexpr std::string_view slider = "AXSlider";
inline constexpr std::string_view tabGroup = "AXTabGroup";
inline constexpr std::string_view textField = "AXTextField";
inline constexpr std::string_view staticText = "AXStaticText";
inline constexpr std::string_view textArea = "AXTextArea";
inline constexpr std::string_view scrollArea = "AXScrollArea";
inline constexpr std::string_view popUpButton = "AXPopUpButton";
inline constexpr std::string_view menuButton = "AXMenuButton";
inline constexpr std::string_view table = "AXTable";
inline constexpr std::string_view application = "AXApplication";
inline constexpr std::string_view group = "AXGroup";
inline constexpr std::string_view radioGroup = "AXRadioGroup";
inline constexpr std::string_view list = "AXList";
inline constexpr std::string_view scrollBar = "AXScrollBar";
inline constexpr std::string_view valueIndicator = "AXValueIndicator";
inline constexpr std::string_view image = "AXImage";
inline constexpr std::string_view menuBar = "AXMenuBar";
inline constexpr std::string_view menuBarItem = "AXMenuBarItem";
inline constexpr std::string_view menu = "AXMenu";
inline constexpr std::string_view menuItem = "AXMenuItem";
inline constexpr std::string_view column = "AXColumn";
inline constexpr std::string_view row = "AXRow";
inline constexpr std::string_view toolbar = "AXToolbar";
inline constexpr std::string_view busyIndicator = "AXBusyIndicator";
inline constexpr std::string_view progressIndicator = "AXProgressIndicator";
inline constexpr std::string_view window = "AXWindow";
inline constexpr std::string_view drawer = "AXDrawer";
inline constexpr std::string_view systemWide = "AXSystemWide";
inline constexpr std::string_view outline = "AXOutline";
inline constexpr std::string_view incrementor = "AXIncrementor";
inline constexpr std::string_view browser = "AXBrowser";
inline constexpr std::string_view comboBox = "AXComboBox";
inline constexpr std::string_view splitGroup = "AXSplitGroup";
inline constexpr std::string_view splitter = "AXSplitter";
inline constexpr std::string_view colorWell = "AXColorWell";
inline constexpr std::string_view growArea = "AXGrowArea";
inline constexpr std::string_view sheet = "AXSheet";
inline constexpr std::string_view helpTag = "AXHelpTag";
inline constexpr std::string_view matte = "AXMatte";
inline constexpr std::string_view ruler = "AXRuler";
inline constexpr std::string_view rulerMarker = "AXRulerMarker";
inline constexpr std::string_view link = "AXLink";
inline constexpr std::string_view disclosureTriangle = "AXDisclosureTriangle";
inline constexpr std::string_view grid = "AXGrid";
inline constexpr std::string_view relevanceIndicator = "AXRelevanceIndicator";
inline constexpr std::string_view levelIndicator = "AXLevelIndicator";
inline constexpr std::string_view cell = "AXCell";
inline constexpr std::string_view popover = "AXPopover";
inline constexpr std::string_view layoutArea = "AXLayoutArea";
inline constexpr std::string_view layoutItem = "AXLayoutItem";
inline constexpr std::string_view handle = "AXHandle";
inline constexpr std::string_view dockItem = "AXDockItem";
inline constexpr std::string_view webArea = "AXWebArea";
}  // namespace role

// Subroles ("AXSubrole").
namespace subrole {
inline constexpr std::string_view unknown = "AXUnknown";
inline constexpr std::string_view closeButton = "AXCloseButton";
inline constexpr std::string_view zoomButton = "AXZoomButton";
inline constexpr std::string_view minimizeButton = "AXMinimizeButton";
inline constexpr std::string_view toolbarButton = "AXToolbarButton";
inline constexpr std::string_view tabButton = "AXTabButton";
inline constexpr std::string_view tableRow = "AXTableRow";
inline constexpr std::string_view outlineRow = "AXOutlineRow";
inline constexpr std::string_view secureTextField = "AXSecureTextField";
inline constexpr std::string_view standardWindow = "AXStandardWindow";
inline constexpr std::string_view dialog = "AXDialog";
inline constexpr std::string_view systemDialog = "AXSystemDialog";
inline constexpr std::string_view floatingWindow = "AXFloatingWindow";
inline constexpr std::string_view systemFloatingWindow = "AXSystemFloatingWindow";
inline constexpr std::string_view incrementArrow = "AXIncrementArrow";
inline constexpr std::string_view decrementArrow = "AXDecrementArrow";
inline constexpr std::string_view incrementPage = "AXIncrementPage";
inline constexpr std::string_view decrementPage = "AXDecrementPage";
inline constexpr std::string_view searchField = "AXSearchField";
inline constexpr std::string_view textAttachment = "AXTextAttachment";
inline constexpr std::string_view textLink = "AXTextLink";
inline constexpr std::string_view timeline = "AXTimeline";
inline constexpr std::string_view sortButton = "AXSortButton";
inline constexpr std::string_view ratingIndicator = "AXRatingIndicator";
inline constexpr std::string_view contentList = "AXContentList";
inline constexpr std::string_view definitionList = "AXDefinitionList";
inline constexpr std::string_view fullScreenButton = "AXFullScreenButton";
inline constexpr std::string_view toggle = "AXToggle";
inline constexpr std::string_view switchSubrole = "AXSwitch";
inline constexpr std::string_view descriptionList = "AXDescriptionList";
inline constexpr std::string_view menuExtra = "AXMenuExtra";
inline constexpr std::string_view applicationDockItem = "AXApplicationDockItem";
inline constexpr std::string_view minimizedDockItem = "AXMinimizedWindowDockItem";
inline constexpr std::string_view folderDockItem = "AXFolderDockItem";
inline constexpr std::string_view separatorDockItem = "AXSeparatorDockItem";
inline constexpr std::string_view trashDockItem = "AXTrashDockItem";
inline constexpr std::string_view notificationBanner = "AXNotificationCenterBanner";
}  // namespace subrole

// Attribute names.
namespace attribute {
inline constexpr std::string_view role = "AXRole";
inline constexpr std::string_view roleDescription = "AXRoleDescription";
inline constexpr std::string_view subrole = "AXSubrole";
inline constexpr std::string_view help = "AXHelp";
inline constexpr std::string_view value = "AXValue";
inline constexpr std::string_view minValue = "AXMinValue";
inline constexpr std::string_view maxValue = "AXMaxValue";
inline constexpr std::string_view enabled = "AXEnabled";
inline constexpr std::string_view focused = "AXFocused";
inline constexpr std::string_view parent = "AXParent";
inline constexpr std::string_view children = "AXChildren";
inline constexpr std::string_view window = "AXWindow";
inline constexpr std::string_view topLevelUIElement = "AXTopLevelUIElement";
inline constexpr std::string_view selectedChildren = "AXSelectedChildren";
inline constexpr std::string_view visibleChildren = "AXVisibleChildren";
inline constexpr std::string_view position = "AXPosition";
inline constexpr std::string_view size = "AXSize";
inline constexpr std::string_view frame = "AXFrame";
inline constexpr std::string_view contents = "AXContents";
inline constexpr std::string_view title = "AXTitle";
inline constexpr std::string_view description = "AXDescription";
inline constexpr std::string_view shownMenu = "AXShownMenu";
inline constexpr std::string_view valueDescription = "AXValueDescription";
inline constexpr std::string_view sharedFocusElements = "AXSharedFocusElements";
inline constexpr std::string_view previousContents = "AXPreviousContents";
inline constexpr std::string_view nextContents = "AXNextContents";
inline constexpr std::string_view header = "AXHeader";
inline constexpr std::string_view edited = "AXEdited";
inline constexpr std::string_view tabs = "AXTabs";
inline constexpr std::string_view horizontalScrollBar = "AXHorizontalScrollBar";
inline constexpr std::string_view verticalScrollBar = "AXVerticalScrollBar";
inline constexpr std::string_view overflowButton = "AXOverflowButton";
inline constexpr std::string_view incrementButton = "AXIncrementButton";
inline constexpr std::string_view decrementButton = "AXDecrementButton";
inline constexpr std::string_view filename = "AXFilename";
inline constexpr std::string_view expanded = "AXExpanded";
inline constexpr std::string_view selected = "AXSelected";
inline constexpr std::string_view splitters = "AXSplitters";
inline constexpr std::string_view document = "AXDocument";
inline constexpr std::string_view activationPoint = "AXActivationPoint";
inline constexpr std::string_view url = "AXURL";
inline constexpr std::string_view index = "AXIndex";
inline constexpr std::string_view rowCount = "AXRowCount";
inline constexpr std::string_view columnCount = "AXColumnCount";
inline constexpr std::string_view orderedByRow = "AXOrderedByRow";
inline constexpr std::string_view warningValue = "AXWarningValue";
inline constexpr std::string_view criticalValue = "AXCriticalValue";
inline constexpr std::string_view placeholderValue = "AXPlaceholderValue";
inline constexpr std::string_view containsProtectedContent = "AXContainsProtectedContent";
inline constexpr std::string_view alternateUIVisible = "AXAlternateUIVisible";
inline constexpr std::string_view titleUIElement = "AXTitleUIElement";
inline constexpr std::string_view servesAsTitleForUIElements = "AXServesAsTitleForUIElements";
inline constexpr std::string_view linkedUIElements = "AXLinkedUIElements";
inline constexpr std::string_view selectedText = "AXSelectedText";
inline constexpr std::string_view selectedTextRange = "AXSelectedTextRange";
inline constexpr std::string_view numberOfCharacters = "AXNumberOfCharacters";
inline constexpr std::string_view visibleCharacterRange = "AXVisibleCharacterRange";
inline constexpr std::string_view sharedTextUIElements = "AXSharedTextUIElements";
inline constexpr std::string_view sharedCharacterRange = "AXSharedCharacterRange";
inline constexpr std::string_view insertionPointLineNumber = "AXInsertionPointLineNumber";
inline constexpr std::string_view selectedTextRanges = "AXSelectedTextRanges";
inline constexpr std::string_view textInputMarkedRange = "AXTextInputMarkedRange";
inline constexpr std::string_view lineForIndexParameterized = "AXLineForIndexParameterized";
inline constexpr std::string_view rangeForLineParameterized = "AXRangeForLineParameterized";
inline constexpr std::string_view stringForRangeParameterized = "AXStringForRangeParameterized";
inline constexpr std::string_view rangeForPositionParameterized = "AXRangeForPositionParameterized";
inline constexpr std::string_view rangeForIndexParameterized = "AXRangeForIndexParameterized";
inline constexpr std::string_view boundsForRangeParameterized = "AXBoundsForRangeParameterized";
inline constexpr std::string_view rtfForRangeParameterized = "AXRTFForRangeParameterized";
inline constexpr std::string_view styleRangeForIndexParameterized =
    "AXStyleRangeForIndexParameterized";
inline constexpr std::string_view attributedStringForRangeParameterized =
    "AXAttributedStringForRangeParameterized";
inline constexpr std::string_view fontText = "AXFontText";
inline constexpr std::string_view foregroundColorText = "AXForegroundColorText";
inline constexpr std::string_view backgroundColorText = "AXBackgroundColorText";
inline constexpr std::string_view underlineColorText = "AXUnderlineColorText";
inline constexpr std::string_view strikethroughColorText = "AXStrikethroughColorText";
inline constexpr std::string_view underlineText = "AXUnderlineText";
inline constexpr std::string_view superscriptText = "AXSuperscriptText";
inline constexpr std::string_view strikethroughText = "AXStrikethroughText";
inline constexpr std::string_view shadowText = "AXShadowText";
inline constexpr std::string_view attachmentText = "AXAttachmentText";
inline constexpr std::string_view linkText = "AXLinkText";
inline constexpr std::string_view autocorrectedText = "AXAutocorrectedText";
inline constexpr std::string_view listItemPrefixText = "AXListItemPrefixText";
inline constexpr std::string_view listItemIndexText = "AXListItemIndexText";
inline constexpr std::string_view listItemLevelText = "AXListItemLevelText";
inline constexpr std::string_view misspelledText = "AXMisspelledText";
inline constexpr std::string_view markedMisspelledText = "AXMarkedMisspelledText";
inline constexpr std::string_view main = "AXMain";
inline constexpr std::string_view minimized = "AXMinimized";
inline constexpr std::string_view closeButton = "AXCloseButton";
inline constexpr std::string_view zoomButton = "AXZoomButton";
inline constexpr std::string_view minimizeButton = "AXMinimizeButton";
inline constexpr std::string_view toolbarButton = "AXToolbarButton";
inline constexpr std::string_view proxy = "AXProxy";
inline constexpr std::string_view growArea = "AXGrowArea";
inline constexpr std::string_view modal = "AXModal";
inline constexpr std::string_view defaultButton = "AXDefaultButton";
inline constexpr std::string_view cancelButton = "AXCancelButton";
inline constexpr std::string_view fullScreenButton = "AXFullScreenButton";
inline constexpr std::string_view fullscreen = "AXFullScreen";
inline constexpr std::string_view menuBar = "AXMenuBar";
inline constexpr std::string_view windows = "AXWindows";
inline constexpr std::string_view frontmost = "AXFrontmost";
inline constexpr std::string_view hidden = "AXHidden";
inline constexpr std::string_view mainWindow = "AXMainWindow";
inline constexpr std::string_view focusedWindow = "AXFocusedWindow";
inline constexpr std::string_view focusedUIElement = "AXFocusedUIElement";
inline constexpr std::string_view extrasMenuBar = "AXExtrasMenuBar";
inline constexpr std::string_view enhancedUserInterface = "AXEnhancedUserInterface";
inline constexpr std::string_view orientation = "AXOrientation";
inline constexpr std::string_view columnTitles = "AXColumnTitles";
inline constexpr std::string_view searchButton = "AXSearchButton";
inline constexpr std::string_view searchMenu = "AXSearchMenu";
inline constexpr std::string_view clearButton = "AXClearButton";
inline constexpr std::string_view rows = "AXRows";
inline constexpr std::string_view visibleRows = "AXVisibleRows";
inline constexpr std::string_view selectedRows = "AXSelectedRows";
inline constexpr std::string_view columns = "AXColumns";
inline constexpr std::string_view visibleColumns = "AXVisibleColumns";
inline constexpr std::string_view selectedColumns = "AXSelectedColumns";
inline constexpr std::string_view sortDirection = "AXSortDirection";
inline constexpr std::string_view selectedCells = "AXSelectedCells";
inline constexpr std::string_view visibleCells = "AXVisibleCells";
inline constexpr std::string_view rowHeaderUIElements = "AXRowHeaderUIElements";
inline constexpr std::string_view columnHeaderUIElements = "AXColumnHeaderUIElements";
inline constexpr std::string_view cellForColumnAndRowParameterized =
    "AXCellForColumnAndRowParameterized";
inline constexpr std::string_view rowIndexRange = "AXRowIndexRange";
inline constexpr std::string_view columnIndexRange = "AXColumnIndexRange";
inline constexpr std::string_view horizontalUnits = "AXHorizontalUnits";
inline constexpr std::string_view verticalUnits = "AXVerticalUnits";
inline constexpr std::string_view horizontalUnitDescription = "AXHorizontalUnitDescription";
inline constexpr std::string_view verticalUnitDescription = "AXVerticalUnitDescription";
inline constexpr std::string_view layoutPointForScreenPointParameterized =
    "AXLayoutPointForScreenPointParameterized";
inline constexpr std::string_view layoutSizeForScreenSizeParameterized =
    "AXLayoutSizeForScreenSizeParameterized";
inline constexpr std::string_view screenPointForLayoutPointParameterized =
    "AXScreenPointForLayoutPointParameterized";
inline constexpr std::string_view screenSizeForLayoutSizeParameterized =
    "AXScreenSizeForLayoutSizeParameterized";
inline constexpr std::string_view handles = "AXHandles";
inline constexpr std::string_view disclosing = "AXDisclosing";
inline constexpr std::string_view disclosedRows = "AXDisclosedRows";
inline constexpr std::string_view disclosedByRow = "AXDisclosedByRow";
inline constexpr std::string_view disclosureLevel = "AXDisclosureLevel";
inline constexpr std::string_view allowedValues = "AXAllowedValues";
inline constexpr std::string_view labelUIElements = "AXLabelUIElements";
inline constexpr std::string_view labelValue = "AXLabelValue";
inline constexpr std::string_view matteHole = "AXMatteHole";
inline constexpr std::string_view matteContentUIElement = "AXMatteContentUIElement";
inline constexpr std::string_view markerUIElements = "AXMarkerUIElements";
inline constexpr std::string_view markerValues = "AXMarkerValues";
inline constexpr std::string_view markerGroupUIElement = "AXMarkerGroupUIElement";
inline constexpr std::string_view units = "AXUnits";
inline constexpr std::string_view unitDescription = "AXUnitDescription";
inline constexpr std::string_view markerType = "AXMarkerType";
inline constexpr std::string_view markerTypeDescription = "AXMarkerTypeDescription";
inline constexpr std::string_view identifier = "AXIdentifier";
inline constexpr std::string_view className = "AXClassName";
inline constexpr std::string_view focusedApplication = "AXFocusedApplication";
inline constexpr std::string_view functionRowTopLevelElements = "AXFunctionRowTopLevelElements";
inline constexpr std::string_view childrenInNavigationOrder = "AXChildrenInNavigationOrder";
}  // namespace attribute

// Action names.
namespace action {
inline constexpr std::string_view press = "AXPress";
inline constexpr std::string_view increment = "AXIncrement";
inline constexpr std::string_view decrement = "AXDecrement";
inline constexpr std::string_view confirm = "AXConfirm";
inline constexpr std::string_view pick = "AXPick";
inline constexpr std::string_view cancel = "AXCancel";
inline constexpr std::string_view raise = "AXRaise";
inline constexpr std::string_view showMenu = "AXShowMenu";
inline constexpr std::string_view delete_ = "AXDelete";
// Tab bars answer to this name for their close action, not to an "AX" name.
inline constexpr std::string_view closeTab = "Name:close tab\nTarget:0x0\nSelector:(null)";
inline constexpr std::string_view showAlternateUI = "AXShowAlternateUI";
inline constexpr std::string_view showDefaultUI = "AXShowDefaultUI";
}  // namespace action

}  // namespace zoral::platform::ax
