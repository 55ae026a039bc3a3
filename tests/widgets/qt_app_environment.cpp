// One QApplication for every test of a widgets test program, offscreen and at
// 96 dots per inch unless the caller chose otherwise.

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>

namespace {

class QtAppEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
        }
        if (qEnvironmentVariableIsEmpty("QT_FONT_DPI")) {
            qputenv("QT_FONT_DPI", QByteArray("96"));
        }
        m_app = new QApplication(m_argc, m_argv);
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

  private:
    char m_name[16] = "widgets_test";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace
