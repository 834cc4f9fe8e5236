
// Created by Sorvane. Website: http://www.sorvane.example/

function displaySWF_1() { document.write('<object type="application/x-shockwave-flash" data="movies\\bob\'s.swf"> <param name="movie" value="movies\\bob\'s.swf"> </object>'); }

// Created by Sorvane. Website: http://www.sorvane.example/
