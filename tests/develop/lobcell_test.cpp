// The worksheet's double click on a result cell: the loader opens for picture and text columns only, bound to the
// cell, and offers loading only for an editable result.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "develop/lobcell.h"
#include "shell/getpict.h"
#include "wstools_fixture.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

#include <gtest/gtest.h>

TEST(LobCell, PictureAndTextColumnsOnly)
{
    const std::pair<db::FieldType, develop::LobKind> cases[] = {
        { db::FieldType::Blob, develop::LobKind::Picture },
        { db::FieldType::Clob, develop::LobKind::Text },
        { db::FieldType::Long, develop::LobKind::Text },
        { db::FieldType::Raw, develop::LobKind::None },
        { db::FieldType::Varchar2, develop::LobKind::None },
        { db::FieldType::Date, develop::LobKind::None },
    };
    for (const auto& [type, kind] : cases) {
        SCOPED_TRACE(db::fieldTypeName(type).toStdString());
        EXPECT_EQ(develop::lobKind(type), kind);
    }
}

namespace {

class LobCellOnDemo : public wstest::DemoSessionTest { };

} // namespace

TEST_F(LobCellOnDemo, OpensTheLoaderBoundToTheCell)
{
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    run(*session, QStringLiteral("create table ws_lob (id number, name varchar2(20), pic blob, note clob)"));
    db::Query insert(session.get());
    insert.setSql(QStringLiteral("insert into ws_lob values (1, 'red', :pic, 'a note')"));
    insert.declareVariable(QStringLiteral("pic"), db::BindType::Blob);
    insert.setVariable(QStringLiteral("pic"), png);
    insert.execute();
    session->commit();

    db::DataSet ds(session.get());
    ds.setSql(QStringLiteral("select id, name, pic, note, rowid from ws_lob"));
    ds.setCachedUpdates(true);
    ds.open();
    db::DataSetModel model;
    model.setDataSet(&ds);

    EXPECT_EQ(develop::makeLobLoader(nullptr, ds, &model, model.index(0, 1)), nullptr) << "a VARCHAR2 column";

    std::unique_ptr<shell::TfmGetPict> picture = develop::makeLobLoader(nullptr, ds, &model, model.index(0, 2));
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->pImage);
    EXPECT_TRUE(picture->popravljanje);
    EXPECT_EQ(picture->LoadButton->text(), QStringLiteral("Load Image"));
    EXPECT_EQ(picture->DBImage->pixmap().size(), QSize(16, 12)) << "the picture of the cell is shown";

    std::unique_ptr<shell::TfmGetPict> text = develop::makeLobLoader(nullptr, ds, &model, model.index(0, 3));
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->pImage);
    EXPECT_EQ(text->LoadButton->text(), QStringLiteral("Load text"));
    EXPECT_EQ(text->DBMemo->toPlainText(), QStringLiteral("a note"));

    db::DataSet readOnly(session.get());
    readOnly.setSql(QStringLiteral("select pic from ws_lob"));
    readOnly.open();
    db::DataSetModel readOnlyModel;
    readOnlyModel.setDataSet(&readOnly);
    std::unique_ptr<shell::TfmGetPict> shown
        = develop::makeLobLoader(nullptr, readOnly, &readOnlyModel, readOnlyModel.index(0, 0));
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->popravljanje) << "no loading into a result that cannot be changed";
}
