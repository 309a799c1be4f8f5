#include "controls/VaSpread.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "controls/SecretEdit.h"
#include "controls/Twips.h"

namespace controls {

// The sheet's texts and locks. cells_ holds rows 0..maxRows x columns
// 0..maxCols, headers included; locks_ the data cells only.
class VaSpreadModel : public QAbstractTableModel {
 public:
  explicit VaSpreadModel(VaSpread *grid) : QAbstractTableModel(grid), grid_(grid) {}

  int rowCount(const QModelIndex &parent = {}) const override {
    return parent.isValid() ? 0 : rows_;
  }
  int columnCount(const QModelIndex &parent = {}) const override {
    return parent.isValid() ? 0 : cols_;
  }

  QVariant data(const QModelIndex &index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) return Cell(index.column() + 1, index.row() + 1);
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return section < cols_ ? Cell(section + 1, 0) : QString();
    return section < rows_ ? Cell(0, section + 1) : QString();
  }

  Qt::ItemFlags flags(const QModelIndex &index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!(grid_->protect() && grid_->Locked(index.column() + 1, index.row() + 1))) f |= Qt::ItemIsEditable;
    return f;
  }

  bool setData(const QModelIndex &index, const QVariant &value, int role) override {
    if (!index.isValid() || role != Qt::EditRole) return false;
    if (!(flags(index) & Qt::ItemIsEditable)) return false;
    cells_[index.row() + 1][index.column() + 1] = value.toString();
    emit dataChanged(index, index);
    return true;
  }

  const QString &Cell(int col, int row) const { return cells_[row][col]; }

  void SetCell(int col, int row, const QString &value) {
    cells_[row][col] = value;
    Changed(col, row, col, row);
  }

  // Tells the views about new texts in the given sheet rectangle.
  void Changed(int col1, int row1, int col2, int row2) {
    if (row1 == 0 && col2 >= 1) emit headerDataChanged(Qt::Horizontal, std::max(col1, 1) - 1, col2 - 1);
    if (col1 == 0 && row2 >= 1) emit headerDataChanged(Qt::Vertical, std::max(row1, 1) - 1, row2 - 1);
    const int r1 = std::max(row1, 1), c1 = std::max(col1, 1);
    if (r1 <= row2 && c1 <= col2) emit dataChanged(index(r1 - 1, c1 - 1), index(row2 - 1, col2 - 1));
  }

  bool Locked(int col, int row) const { return locks_[row - 1][col - 1]; }
  void SetLocked(int col, int row, bool locked) { locks_[row - 1][col - 1] = locked; }

  void Resize(int rows, int cols, bool newLock) {
    if (cols < cols_) {
      beginRemoveColumns({}, cols, cols_ - 1);
      for (auto &r : cells_) r.resize(cols + 1);
      for (auto &r : locks_) r.resize(cols);
      cols_ = cols;
      endRemoveColumns();
    } else if (cols > cols_) {
      beginInsertColumns({}, cols_, cols - 1);
      for (auto &r : cells_) r.resize(cols + 1);
      for (auto &r : locks_) r.resize(cols, newLock);
      cols_ = cols;
      endInsertColumns();
    }
    if (rows < rows_) {
      beginRemoveRows({}, rows, rows_ - 1);
      cells_.resize(rows + 1);
      locks_.resize(rows);
      rows_ = rows;
      endRemoveRows();
    } else if (rows > rows_) {
      beginInsertRows({}, rows_, rows - 1);
      cells_.resize(rows + 1, std::vector<QString>(cols_ + 1));
      locks_.resize(rows, std::vector<bool>(cols_, newLock));
      rows_ = rows;
      endInsertRows();
    }
  }

  // Row actions keep the row count: the sheet's rows shift within it.
  void InsertRow(int row, bool newLock) {
    cells_.pop_back();
    cells_.insert(cells_.begin() + row, std::vector<QString>(cols_ + 1));
    locks_.pop_back();
    locks_.insert(locks_.begin() + (row - 1), std::vector<bool>(cols_, newLock));
    Changed(0, row, cols_, rows_);
  }

  void RemoveRow(int row, bool newLock) {
    cells_.erase(cells_.begin() + row);
    cells_.push_back(std::vector<QString>(cols_ + 1));
    locks_.erase(locks_.begin() + (row - 1));
    locks_.push_back(std::vector<bool>(cols_, newLock));
    Changed(0, row, cols_, rows_);
  }

  int Rows() const { return rows_; }
  int Cols() const { return cols_; }

 private:
  VaSpread *grid_;
  int rows_ = 0, cols_ = 0;
  std::vector<std::vector<QString>> cells_{std::vector<QString>(1)};
  std::vector<std::vector<bool>> locks_;
};

// Lets the grid know which editor is open, so that a program write into
// that cell closes it and leaves no typed copy behind.
class VaSpreadDelegate : public QStyledItemDelegate {
 public:
  explicit VaSpreadDelegate(VaSpread *grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const override {
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor)) GuardSecretEdit(line);
    grid_->EditorOpened(editor, index.column() + 1, index.row() + 1);
    return editor;
  }

  void destroyEditor(QWidget *editor, const QModelIndex &index) const override {
    grid_->EditorClosed(editor);
    QStyledItemDelegate::destroyEditor(editor, index);
  }

 private:
  VaSpread *grid_;
};

namespace {

// Width of an average character of font, Latin letters counted.
double AverageCharWidth(const QFont &font) {
  static const QString sample = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  return QFontMetricsF(font).horizontalAdvance(sample) / sample.size();
}

}  // namespace

VaSpread::VaSpread(QWidget *parent) : QTableView(parent), model_(new VaSpreadModel(this)) {
  setModel(model_);
  setItemDelegate(new VaSpreadDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::DoubleClicked);
  setWordWrap(false);
  setTabKeyNavigation(false);  // Tab leaves the sheet for the next control
  setCornerButtonEnabled(true);
  setDragEnabled(false);
  setAcceptDrops(false);
  setContextMenuPolicy(Qt::NoContextMenu);

  for (QHeaderView *header : {horizontalHeader(), verticalHeader()}) {
    header->setMinimumSectionSize(1);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setContextMenuPolicy(Qt::NoContextMenu);
    header->viewport()->installEventFilter(this);
  }
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

  // The corner shows its text on a label over the view's own corner button,
  // whose select-all is replaced by the corner's pick.
  cornerButton_ = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
  if (cornerButton_ != nullptr) {
    cornerLabel_ = new QLabel(cornerButton_);
    cornerLabel_->setAlignment(Qt::AlignCenter);
    cornerLabel_->setTextFormat(Qt::PlainText);  // an item name is shown as typed
    cornerLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *layout = new QHBoxLayout(cornerButton_);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(cornerLabel_);
    cornerButton_->installEventFilter(this);
  }

  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
    activeRow_ = index.row() + 1;
    activeCol_ = index.column() + 1;
    emit cellPicked(index.column() + 1, index.row() + 1);
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
    emit cellActivated(index.column() + 1, index.row() + 1);
  });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
    if (!current.isValid()) return;
    activeRow_ = current.row() + 1;
    activeCol_ = current.column() + 1;
  });

  setRowHeight(-1, defaultRowPoints_);
  setColWidth(-1, defaultColChars_);
}

VaSpread::~VaSpread() = default;

bool VaSpread::InSheet(int col, int row) const {
  return col >= 0 && row >= 0 && col <= model_->Cols() && row <= model_->Rows();
}

bool VaSpread::Locked(int col, int row) const { return model_->Locked(col, row); }

void VaSpread::SetText(int col, int row, const QString &value) {
  if (!InSheet(col, row)) return;
  if (editor_ != nullptr && editorCol_ == col && editorRow_ == row) DiscardOpenEditor();
  model_->SetCell(col, row, value);
  if (col == 0 && row == 0) ShowCornerText();
}

bool VaSpread::GetText(int col, int row, QString &value) const {
  value.clear();
  if (!InSheet(col, row)) return false;
  value = model_->Cell(col, row);
  return !value.isEmpty();
}

void VaSpread::ShowCornerText() {
  if (cornerLabel_ != nullptr) cornerLabel_->setText(model_->Cell(0, 0));
}

void VaSpread::setRowHeight(int row, double points) {
  if (points < 0) return;
  if (row < 0) {
    defaultRowPoints_ = points;
    ApplyRowHeights();
    return;
  }
  if (row > model_->Rows()) return;
  const int px = std::max(1, static_cast<int>(std::lround(points * ScreenDpi(this) / 72.0)));
  if (row == 0)
    horizontalHeader()->setFixedHeight(px);
  else
    verticalHeader()->resizeSection(row - 1, px);
}

void VaSpread::ApplyRowHeights() {
  const int px = std::max(1, static_cast<int>(std::lround(defaultRowPoints_ * ScreenDpi(this) / 72.0)));
  horizontalHeader()->setFixedHeight(px);
  verticalHeader()->setDefaultSectionSize(px);
  for (int s = 0; s < model_->Rows(); ++s) verticalHeader()->resizeSection(s, px);
}

void VaSpread::setColWidth(int col, double chars) {
  if (chars < 0) return;
  if (col < 0) {
    defaultColChars_ = chars;
    std::fill(colChars_.begin(), colChars_.end(), -1.0);
    ApplyColWidth(-1);
    return;
  }
  if (col > model_->Cols()) return;
  colChars_.resize(model_->Cols() + 1, -1.0);
  colChars_[col] = chars;
  ApplyColWidth(col);
}

// Column widths follow the grid's font; col -1 reapplies every column.
void VaSpread::ApplyColWidth(int col) {
  colChars_.resize(model_->Cols() + 1, -1.0);
  const double unit = AverageCharWidth(font());
  auto pixels = [unit](double chars) {
    // A little room either side, as the cells draw their text inset.
    return std::max(1, static_cast<int>(std::lround(chars * unit + 6)));
  };
  auto apply = [&](int c) {
    const int px = pixels(colChars_[c] >= 0 ? colChars_[c] : defaultColChars_);
    if (c == 0)
      verticalHeader()->setFixedWidth(px);
    else
      horizontalHeader()->resizeSection(c - 1, px);
  };
  if (col >= 0) {
    apply(col);
    return;
  }
  horizontalHeader()->setDefaultSectionSize(pixels(defaultColChars_));
  for (int c = 0; c <= model_->Cols(); ++c) apply(c);
}

void VaSpread::setAction(int action) {
  const int rows = model_->Rows();
  switch (action) {
    case kActionInsertRow:
    case kActionDeleteRow:
      if (row_ < 1 || row_ > rows) return;
      CommitOpenEditor();
      if (action == kActionInsertRow)
        model_->InsertRow(row_, sheetLock_);
      else
        model_->RemoveRow(row_, sheetLock_);
      return;
    case kActionClearText: {
      int r1, r2, c1, c2;
      if (blockMode_) {
        r1 = std::max(row_, 0), r2 = std::min(row2_, rows);
        c1 = std::max(col_, 0), c2 = std::min(col2_, model_->Cols());
      } else {
        r1 = row_ < 0 ? 1 : row_, r2 = row_ < 0 ? rows : std::min(row_, rows);
        c1 = col_ < 0 ? 1 : col_, c2 = col_ < 0 ? model_->Cols() : std::min(col_, model_->Cols());
      }
      if (r1 > r2 || c1 > c2) return;
      if (editor_ != nullptr && editorRow_ >= r1 && editorRow_ <= r2 && editorCol_ >= c1 && editorCol_ <= c2)
        DiscardOpenEditor();
      for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c) model_->SetCell(c, r, QString());
      if (r1 == 0 && c1 == 0) ShowCornerText();
      return;
    }
    default:
      return;
  }
}

void VaSpread::setMaxCols(int cols) {
  cols = std::max(cols, 0);
  if (editor_ != nullptr && editorCol_ > cols) CommitOpenEditor();
  const bool hadCells = model_->Rows() > 0 && model_->Cols() > 0;
  model_->Resize(model_->Rows(), cols, sheetLock_);
  colChars_.resize(cols + 1, -1.0);
  ApplyColWidth(-1);
  if (!hadCells && !currentIndex().isValid() && model_->Rows() > 0 && cols > 0)
    selectionModel()->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::NoUpdate);
}

void VaSpread::setMaxRows(int rows) {
  rows = std::max(rows, 0);
  if (editor_ != nullptr && editorRow_ > rows) CommitOpenEditor();
  const bool hadCells = model_->Rows() > 0 && model_->Cols() > 0;
  model_->Resize(rows, model_->Cols(), sheetLock_);
  if (!hadCells && !currentIndex().isValid() && rows > 0 && model_->Cols() > 0)
    selectionModel()->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::NoUpdate);
}

int VaSpread::maxCols() const { return model_->Cols(); }
int VaSpread::maxRows() const { return model_->Rows(); }

void VaSpread::setLock(bool locked) {
  const int rows = model_->Rows(), cols = model_->Cols();
  if (row_ == -1 && col_ == -1) sheetLock_ = locked;
  const int r1 = row_ < 0 ? 1 : row_, r2 = row_ < 0 ? rows : std::min(row_, rows);
  const int c1 = col_ < 0 ? 1 : col_, c2 = col_ < 0 ? cols : std::min(col_, cols);
  for (int r = std::max(r1, 1); r <= r2; ++r)
    for (int c = std::max(c1, 1); c <= c2; ++c) model_->SetLocked(c, r, locked);
  if (locked && protect_ && editor_ != nullptr && Locked(editorCol_, editorRow_)) CommitOpenEditor();
}

bool VaSpread::lock() const {
  const int rows = model_->Rows(), cols = model_->Cols();
  const int r1 = row_ < 0 ? 1 : row_, r2 = row_ < 0 ? rows : std::min(row_, rows);
  const int c1 = col_ < 0 ? 1 : col_, c2 = col_ < 0 ? cols : std::min(col_, cols);
  bool any = false;
  for (int r = std::max(r1, 1); r <= r2; ++r)
    for (int c = std::max(c1, 1); c <= c2; ++c) {
      if (!model_->Locked(c, r)) return false;
      any = true;
    }
  return any ? true : sheetLock_;
}

void VaSpread::setProtect(bool on) {
  protect_ = on;
  if (on && editor_ != nullptr && Locked(editorCol_, editorRow_)) CommitOpenEditor();
}

void VaSpread::EditorOpened(QWidget *editor, int col, int row) {
  editor_ = editor;
  editorCol_ = col;
  editorRow_ = row;
}

void VaSpread::EditorClosed(QWidget *editor) {
  if (editor_ == editor) editor_ = nullptr;
}

// What the user typed so far is kept, as if the edit had been finished.
void VaSpread::CommitOpenEditor() {
  if (editor_ == nullptr) return;
  QWidget *editor = editor_;
  // Protection may just have locked the cell; the typing happened while it
  // was open, so it is stored directly.
  if (auto *line = qobject_cast<QLineEdit *>(editor)) {
    if (InSheet(editorCol_, editorRow_) && editorCol_ > 0 && editorRow_ > 0)
      model_->SetCell(editorCol_, editorRow_, line->text());
    line->setText(QString());
  } else {
    commitData(editor);
  }
  closeEditor(editor, QAbstractItemDelegate::NoHint);
  editor_ = nullptr;
}

// A program write supersedes the typing: the editor goes, and its text with it.
void VaSpread::DiscardOpenEditor() {
  if (editor_ == nullptr) return;
  QWidget *editor = editor_;
  if (auto *line = qobject_cast<QLineEdit *>(editor)) line->setText(QString());  // also drops its undo history
  closeEditor(editor, QAbstractItemDelegate::NoHint);
  editor_ = nullptr;
}

bool VaSpread::OpenEditor(int &col, int &row, QString &text) const {
  const auto *line = qobject_cast<const QLineEdit *>(editor_.data());
  if (line == nullptr) return false;
  col = editorCol_;
  row = editorRow_;
  text = line->text();
  return true;
}

void VaSpread::EditCell(int col, int row, const QString &text) {
  const QModelIndex index = model_->index(row - 1, col - 1);
  if (!index.isValid() || !(model_->flags(index) & Qt::ItemIsEditable)) return;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  edit(index);
  if (auto *line = qobject_cast<QLineEdit *>(editor_.data())) line->setText(text);
}

void VaSpread::PlaceCursor(int col, int row) {
  if (col >= 1 && row >= 1) {
    const QModelIndex index = model_->index(row - 1, col - 1);
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    activeCol_ = col;
    activeRow_ = row;
    return;
  }
  MoveToHeader(col, row);
}

bool VaSpread::HandleHeaderMouse(Qt::Orientation orientation, QEvent *event) {
  auto *mouse = static_cast<QMouseEvent *>(event);
  if (mouse->button() != Qt::LeftButton) return false;
  QHeaderView *header = orientation == Qt::Horizontal ? horizontalHeader() : verticalHeader();
  const QPoint pos = mouse->position().toPoint();
  const int section = header->logicalIndexAt(orientation == Qt::Horizontal ? pos.x() : pos.y());
  const int col = orientation == Qt::Horizontal ? section + 1 : 0;
  const int row = orientation == Qt::Horizontal ? 0 : section + 1;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      pressedSection_ = section;
      pressedOrientation_ = orientation;
      return false;
    case QEvent::MouseButtonRelease: {
      const bool click = section >= 0 && section == pressedSection_ && orientation == pressedOrientation_;
      pressedSection_ = -1;
      if (!click) return false;
      // As a click on a cell does, the pick takes the focus, so the keys go
      // on from the picked header.
      if (!hasFocus()) setFocus(Qt::MouseFocusReason);
      PickHeader(col, row);
      return false;
    }
    case QEvent::MouseButtonDblClick:
      if (section >= 0) emit cellActivated(col, row);
      return false;
    default:
      return false;
  }
}

bool VaSpread::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type type = event->type();
  const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                     type == QEvent::MouseButtonDblClick;
  if (!mouse) return QTableView::eventFilter(watched, event);
  if (watched == horizontalHeader()->viewport()) return HandleHeaderMouse(Qt::Horizontal, event);
  if (watched == verticalHeader()->viewport()) return HandleHeaderMouse(Qt::Vertical, event);
  if (watched == cornerButton_) {
    auto *m = static_cast<QMouseEvent *>(event);
    if (m->button() != Qt::LeftButton) return true;
    if (type == QEvent::MouseButtonPress) {
      cornerPressed_ = true;
    } else if (type == QEvent::MouseButtonRelease) {
      const bool click = cornerPressed_ && cornerButton_->rect().contains(m->position().toPoint());
      cornerPressed_ = false;
      if (click) {
        if (!hasFocus()) setFocus(Qt::MouseFocusReason);
        PickHeader(0, 0);
      }
    } else {
      emit cellActivated(0, 0);
    }
    return true;  // the view's own select-all stays off
  }
  return QTableView::eventFilter(watched, event);
}

void VaSpread::changeEvent(QEvent *event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    if (cornerLabel_ != nullptr) cornerLabel_->setFont(font());
    ApplyColWidth(-1);
  }
}

// Typing into a locked sheet must not move the cursor to a matching cell.
void VaSpread::keyboardSearch(const QString &) {}

// The sheet puts nothing on the clipboard by itself: what is copied, and
// from where, is the owner's decision.
void VaSpread::keyPressEvent(QKeyEvent *event) {
  if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
    event->accept();
    return;
  }
  if (HeaderKey(event) || PickKey(event)) {
    event->accept();
    return;
  }
  const QModelIndex before = currentIndex();
  QTableView::keyPressEvent(event);
  PickIfMoved(before);
}

// A header (or the corner) becomes current. No data cell keeps the cursor,
// so typing cannot go into a cell the user did not pick.
void VaSpread::PickHeader(int col, int row, bool byKey) {
  MoveToHeader(col, row);
  if (byKey)
    emit cursorMoved(col, row);
  else
    emit cellPicked(col, row);
}

void VaSpread::MoveToHeader(int col, int row) {
  selectionModel()->clearCurrentIndex();
  if (row == 0 && col >= 1 && col <= model_->Cols()) {
    selectionModel()->select(model_->index(0, col - 1),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Columns);
  } else if (col == 0 && row >= 1 && row <= model_->Rows()) {
    selectionModel()->select(model_->index(row - 1, 0),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else {
    selectionModel()->clearSelection();
  }
  if (row >= 1 && row <= model_->Rows() && model_->Cols() >= 1) {
    // Into view without moving sideways.
    const int shownCol = std::max(columnAt(0), 0);
    scrollTo(model_->index(row - 1, std::min(shownCol, model_->Cols() - 1)));
  }
  activeCol_ = col;
  activeRow_ = row;
}

// A data cell reached from the keyboard: the cursor moves there.
void VaSpread::PickCell(int col, int row) {
  const QModelIndex index = model_->index(row - 1, col - 1);
  if (!index.isValid()) return;
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  scrollTo(index);
  activeCol_ = col;
  activeRow_ = row;
  emit cursorMoved(col, row);
}

void VaSpread::SetActiveCell(int col, int row) {
  if (!InSheet(col, row)) return;
  if (col == 0 || row == 0) {
    MoveToHeader(col, row);
    return;
  }
  const QModelIndex index = model_->index(row - 1, col - 1);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  activeCol_ = col;
  activeRow_ = row;
}

bool VaSpread::EditorText(int &col, int &row, QString &text) const {
  auto *line = qobject_cast<QLineEdit *>(editor_.data());
  if (line == nullptr) return false;
  col = editorCol_;
  row = editorRow_;
  text = line->text();
  return true;
}

// Space or Enter on the cursor's cell is the keyboard's pick: the owner
// means that cell, as with a click. Space types into a cell that is open.
bool VaSpread::PickKey(QKeyEvent *event) {
  if (event->modifiers() & ~Qt::KeypadModifier) return false;
  const int key = event->key();
  if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  if (state() == EditingState || !InSheet(activeCol_, activeRow_)) return false;
  if (!OnHeader()) {
    if (!currentIndex().isValid()) return false;
    if (key == Qt::Key_Space && (model_->flags(currentIndex()) & Qt::ItemIsEditable)) return false;
  }
  emit cellPicked(activeCol_, activeRow_);
  return true;
}

// Moves to, between and out of the headers; true when the key was one.
bool VaSpread::HeaderKey(QKeyEvent *event) {
  if (event->modifiers() & ~Qt::KeypadModifier) return false;
  const int key = event->key();
  const int rows = model_->Rows(), cols = model_->Cols();
  if (!OnHeader()) {
    if (!currentIndex().isValid()) return false;
    if (key == Qt::Key_Left && activeCol_ == 1) {
      PickHeader(0, activeRow_, true);
      return true;
    }
    if (key == Qt::Key_Up && activeRow_ == 1) {
      PickHeader(activeCol_, 0, true);
      return true;
    }
    return false;
  }
  if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right) return false;
  if (activeCol_ == 0 && activeRow_ >= 1) {  // a row header
    const int row = std::min(activeRow_, rows);
    if (key == Qt::Key_Up) {
      // From past the last row (its row was deleted) to the last row.
      PickHeader(0, activeRow_ > rows ? rows : row - 1, true);
    } else if (key == Qt::Key_Down) {
      if (activeRow_ < rows) PickHeader(0, activeRow_ + 1, true);
    } else if (key == Qt::Key_Right) {
      if (row >= 1 && cols >= 1) PickCell(1, row);
    }
  } else if (activeRow_ == 0 && activeCol_ >= 1) {  // a column header
    const int col = std::min(activeCol_, cols);
    if (key == Qt::Key_Left) {
      PickHeader(col > 1 ? col - 1 : 0, 0, true);
    } else if (key == Qt::Key_Right) {
      if (activeCol_ < cols) PickHeader(activeCol_ + 1, 0, true);
    } else if (key == Qt::Key_Down) {
      if (rows >= 1 && col >= 1) PickCell(col, 1);
    }
  } else {  // the corner
    if (key == Qt::Key_Right && cols >= 1) PickHeader(1, 0, true);
    if (key == Qt::Key_Down && rows >= 1) PickHeader(0, 1, true);
  }
  return true;
}

// A cursor moved by the keys, or by finishing an edit: the current cell
// follows, but nothing is picked.
void VaSpread::PickIfMoved(const QModelIndex &before) {
  const QModelIndex now = currentIndex();
  if (now.isValid() && now != before) emit cursorMoved(now.column() + 1, now.row() + 1);
}

// On a header no data cell has the cursor: nothing to move from. The view
// would take the first cell instead, for example when it regains the focus.
QModelIndex VaSpread::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  if (OnHeader() && !currentIndex().isValid()) return {};
  return QTableView::moveCursor(action, modifiers);
}

void VaSpread::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) {
  const QModelIndex before = currentIndex();
  QTableView::closeEditor(editor, hint);
  PickIfMoved(before);
}

}  // namespace controls
