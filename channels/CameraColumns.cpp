// The statements made from CAMERAINFO's column list, each built once.
#include "channels/CameraColumns.h"

namespace camera_columns {

const std::string& TableDefinition() {
    static const std::string statement = [] {
        std::string text = "CREATE TABLE IF NOT EXISTS CAMERAINFO(";
        for (const Definition& column : kDefinitions)
            text += std::string(column.name) + " " + column.declaration + ",";
        return text + "PRIMARY KEY(ID));";
    }();
    return statement;
}

const std::string& InsertStatement() {
    static const std::string statement = [] {
        std::string names;
        std::string placeholders;
        for (const Definition& column : kDefinitions) {
            names += names.empty() ? column.name : std::string(",") + column.name;
            placeholders += placeholders.empty() ? "?" : ",?";
        }
        return "INSERT INTO CAMERAINFO(" + names + ") VALUES (" + placeholders + ");";
    }();
    return statement;
}

}  // namespace camera_columns
