// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QString>

namespace km {

// A text field that can be marked as refused: red text and a red frame, so that an empty
// field shows its mark too. The tooltip says why.
class MarkedField : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

  // Marks the field when `problem` is not empty, and shows `problem` as its tooltip.
  void mark(const QString& problem);
  bool marked() const { return marked_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool marked_ = false;
};

}  // namespace km
