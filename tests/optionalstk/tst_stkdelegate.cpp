// Mouse events go through the window system as the user's would: a press
// first moves the pointer to its position, a drag delivers moves with the
// button held, and a release reaches the view's press logic.
#define QTEST_QPA_MOUSE_HANDLING

#include <optionalstk/stkdelegate.h>
#include <optionalstk/stkmodel.h>
#include <testutil.h>

#include <QTableView>
#include <QtTest>

class StkDelegateTest : public QObject
{
    Q_OBJECT

private:
    QList<StkModel::Row> m_rows;
    StkModel *m_model = nullptr;
    StkDelegate *m_delegate = nullptr;
    QScopedPointer<QTableView> m_view;
    QStringList m_log; // "in0", "out0", "click0": signal and row

    QModelIndex button(int row) const { return m_model->index(row, StkModel::DeleteButton); }
    // 'o' on the row's button, 'b' beside it in the same cell, 'n' on the row's name.
    QPoint point(int row, char where) const
    {
        if (where == 'n')
            return m_view->visualRect(m_model->index(row, StkModel::Name)).center();
        const QRect cell = m_view->visualRect(button(row));
        return where == 'o' ? StkDelegate::buttonRect(cell).center() : cell.topLeft() + QPoint(2, 2);
    }
    // The button states as stored, and as painted: the sprite's pressed frame
    // is dark red, the hover frame light red, the normal one clear.
    QString buttonStates(bool painted) const
    {
        const QImage image = m_view->viewport()->grab().toImage();
        QString result;
        for (int row = 0; row < m_rows.size(); ++row) {
            const QColor c = image.pixelColor(point(row, 'o') + QPoint(0, -5)); // inside the disc, clear of the cross
            const bool filled = c.red() > 120 && c.green() < 100;
            result += painted ? QString::number(filled ? (c.red() < 200 ? 2 : 1) : 0) : m_rows.at(row).at(17);
        }
        return result;
    }

private slots:
    void init()
    {
        m_rows.clear();
        for (int row = 0; row < 3; ++row) {
            m_rows << QVector<QString>(StkModel::ColumnCount, QString::number(row)).toList();
            m_rows.last()[StkModel::DeleteButton] = u("0");
        }
        m_view.reset(new QTableView);
        m_model = new StkModel(m_view.data());
        m_model->setRowSource(&m_rows);
        m_delegate = new StkDelegate(m_view.data());
        m_delegate->setButtonColumn(StkModel::DeleteButton);
        m_view->setItemDelegate(m_delegate);
        m_view->setMouseTracking(true);
        m_view->setModel(m_model);
        m_view->resize(2100, 200);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.data()));
        QTest::mouseMove(m_view.data(), QPoint(1, 1)); // away from every cell
        m_log.clear();
        const auto logTo = [this](const char *what) {
            return
                [this, what](const QModelIndex &index) { m_log << QLatin1String(what) + QString::number(index.row()); };
        };
        connect(m_delegate, &StkDelegate::mousein, this, logTo("in"));
        connect(m_delegate, &StkDelegate::mouseout, this, logTo("out"));
        connect(m_delegate, &StkDelegate::btnclicked, this, logTo("click"));
    }

    // As the delegate sees it: a release with nothing pressed or tracked before.
    void releaseOverAButtonNeverPressedClicksIt()
    {
        QStyleOptionViewItem option;
        option.rect = m_view->visualRect(button(1));
        QMouseEvent release(QEvent::MouseButtonRelease, point(1, 'o'), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        m_delegate->editorEvent(&release, m_model, option, button(1));
        QCOMPARE(m_log, QStringList {QStringLiteral("click1")});
        QCOMPARE(buttonStates(false), QStringLiteral("010"));
    }

    void mouse_data()
    {
        // Steps: m move, p press, r release, P and R with the right button; row; where (see point()).
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("states");
        QTest::newRow("hover in and out")
            << u("m0o m0b m0o m1o m1n m2n") << u("in0 out0 in0 out0 in1 out1") << u("000");
        QTest::newRow("click") << u("p0o r0o") << u("in0 click0") << u("100");
        QTest::newRow("press") << u("m1o p1o") << u("in1") << u("020");
        QTest::newRow("pressed, dragged off") << u("p0o m0b r0b") << u("in0 out0") << u("000");
        QTest::newRow("pressed, dragged to another button") << u("p0o m2o r2o") << u("in0 out0 in2") << u("001");
        QTest::newRow("pressed elsewhere, then on a button")
            << u("p0o r0o p2o") << u("in0 click0 out0 in2") << u("002");
        QTest::newRow("right button") << u("P0o R0o") << u("in0") << u("100");
    }
    void mouse()
    {
        QFETCH(QString, steps);
        QFETCH(QString, log);
        QFETCH(QString, states);
        QWidget *viewport = m_view->viewport();
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const QPoint at = point(step.at(1).digitValue(), step.at(2).toLatin1());
            const Qt::MouseButton mouseButton = step.at(0).isUpper() ? Qt::RightButton : Qt::LeftButton;
            switch (step.at(0).toLower().toLatin1()) {
            case 'm': QTest::mouseMove(viewport, at); break;
            case 'p': QTest::mousePress(viewport, mouseButton, {}, at); break;
            default: QTest::mouseRelease(viewport, mouseButton, {}, at);
            }
        }
        QCOMPARE(m_log.join(QLatin1Char(' ')), log);
        QCOMPARE(buttonStates(false), states);
        QCOMPARE(buttonStates(true), states);
    }
};

QTEST_MAIN(StkDelegateTest)
#include "tst_stkdelegate.moc"
