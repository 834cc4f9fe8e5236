
// Created by Sorvane. Website: http://www.sorvane.example/

// Created by Sorvane. Website: http://www.sorvane.example/
