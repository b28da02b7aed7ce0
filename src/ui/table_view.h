#pragma once

// A table view after the toolkit's, as a sidebar uses it: one column of rows of a fixed height,
// whose views its delegate makes, and at most one selected row. A click on a row selects it, a
// click below the rows clears the selection, and the arrow keys move it; each of these user
// changes tells the delegate. Selecting from code tells nothing. Main thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/image_view.h"
#include "ui/text_field.h"
#include "ui/view.h"

namespace zoral::ui {

class TableView;

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual std::int64_t numberOfRows(TableView& table) = 0;
};

class TableViewDelegate {
public:
    virtual ~TableViewDelegate() = default;
    // The view of the row in the column; none leaves the row empty.
    virtual std::shared_ptr<View> viewForRow(TableView& table, const std::string& column,
                                             std::int64_t row) = 0;
    virtual void selectionDidChange(TableView& /*table*/) {}
};

// The usual row view: an image and a text, which the delegate places.
class TableCellView : public View {
public:
    // Connects a view of the cell made from an interface description to the outlet of that name;
    // false when the cell has no such outlet. Subclasses with outlets of their own add them.
    virtual bool connectOutlet(const std::string& name, const std::shared_ptr<View>& view);

    const std::shared_ptr<ImageView>& imageView() const { return imageView_; }
    void setImageView(std::shared_ptr<ImageView> view) { imageView_ = std::move(view); }
    const std::shared_ptr<TextField>& textField() const { return textField_; }
    void setTextField(std::shared_ptr<TextField> field) { textField_ = std::move(field); }

private:
    std::shared_ptr<ImageView> imageView_;
    std::shared_ptr<TextField> textField_;
};

class TableView : public View {
public:
    TableView();

    // The data source and delegate are not owned; each must outlive the table or be cleared.
    void setDataSource(TableViewDataSource* source) { dataSource_ = source; }
    void setDelegate(TableViewDelegate* delegate) { delegate_ = delegate; }

    void addColumn(std::string identifier);
    // Row views by identifier, as an interface description gives them: makeView makes a new one
    // from the maker registered under the identifier; none when there is no such maker.
    using ViewMaker = std::function<std::shared_ptr<View>()>;
    void registerView(const std::string& identifier, ViewMaker maker);
    std::shared_ptr<View> makeView(const std::string& identifier) const;
    const std::vector<std::string>& columns() const { return columns_; }
    double rowHeight() const { return rowHeight_; }
    void setRowHeight(double height);
    bool hasHeader() const { return header_; }
    void setHeaderHidden(bool hidden) { header_ = !hidden; }

    // Asks the data source and the delegate again for every row.
    void reloadData();
    std::int64_t numberOfRows() const { return static_cast<std::int64_t>(rows_.size()); }
    // The row's view; none for a row out of range or without one.
    std::shared_ptr<View> viewAtRow(std::int64_t row) const;

    // -1 when no row is selected.
    std::int64_t selectedRow() const { return selected_; }
    // Selects the one row (a row out of range selects nothing).
    void selectRow(std::int64_t row);
    void deselectAll() { selectRow(-1); }

    // What a click at the point (top-left coordinates) or a key does; for the widget under the
    // table.
    void userSelectRow(std::int64_t row);
    // Places the row views across the table's width.
    void tile();

private:
    TableViewDataSource* dataSource_ = nullptr;
    TableViewDelegate* delegate_ = nullptr;
    std::vector<std::string> columns_;
    std::map<std::string, ViewMaker> makers_;
    double rowHeight_ = 24;
    bool header_ = true;
    std::vector<std::shared_ptr<View>> rows_;
    std::int64_t selected_ = -1;
};

}  // namespace zoral::ui
